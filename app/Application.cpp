#include "app/Application.h"

#include "app/common/Reporting.h"

namespace {

int caughtByNotify = 0;

} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Hiding the main window in the tray and closing a dialog while it is hidden must not end
    // the program: only "Exit" does.
    setQuitOnLastWindowClosed(false);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ++caughtByNotify;
        ShowCaughtError(activeWindow());
    }
    return false;
}

int TApplication::CaughtByNotify() {
    return caughtByNotify;
}
