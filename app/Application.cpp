#include "app/Application.h"

#include "app/MessageBox.h"

#include <exception>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Hiding the main window in the tray and closing a dialog while it is hidden must not end
    // the program: only "Exit" does.
    setQuitOnLastWindowClosed(false);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool handled = false;
    RunReportingErrors(activeWindow(), [&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

bool RunReportingErrors(QWidget* parent, const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        ShowErrorBox(parent, QString::fromUtf8(error.what()));
    } catch (...) {
        ShowErrorBox(parent, "An unexpected error stopped the last action.");
    }
    return false;
}
