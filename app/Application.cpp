// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"

#include "resources/Pictures.h"
#include "store/settings/ProgramInfo.h"
#include "uikit/Accessibility.h"
#include "uikit/Reporting.h"

namespace {

int caughtByNotify = 0;

} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // Hiding the main window in the tray and closing a dialog while it is hidden must not end
    // the program: only "Exit" does.
    setQuitOnLastWindowClosed(false);
    // Before the first window: the X11 class of every window is the application name, and
    // the menu entry's StartupWMClass names it; on Wayland the desktop file name is the app id.
    setApplicationName(ProgramName);
    setApplicationVersion(ProgramVersion);
    setDesktopFileName(ProgramId);
    // Every window and message box without an icon of its own takes this one.
    setWindowIcon(ProgramIcon());
    // The frame buttons and menu labels are buttons to a screen reader from the first window.
    InstallAccessibleInterfaces();
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
