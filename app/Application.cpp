#include "app/Application.h"

#include "app/MessageBox.h"

#include <exception>

namespace {

// Shows the error being handled in an error box. Call it only inside a catch block.
void ShowCaughtError(QWidget* parent) {
    try {
        throw;
    } catch (const std::exception& error) {
        ShowErrorBox(parent, QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorBox(parent, "An unexpected error stopped the last action.");
    }
}

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
        ShowCaughtError(activeWindow());
    }
    return false;
}

void RunReportingErrors(QWidget* parent, const std::function<void()>& work) {
    try {
        work();
    } catch (...) {
        ShowCaughtError(parent);
    }
}
