// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Unit1.h"

#include "app/InstanceServer.h"
#include "tasklist/Unit2.h"
#include "uikit/Activation.h"
#include "uikit/Reporting.h"

#include <QApplication>
#include <QTimer>

// What other programs ask of the running one through its socket: a second start asks to see
// the window, the command-line tools to read the file again after they changed it.

void TForm1::RemoteRequest(const QString& line) {
    if (QString token; IsShowRequest(line, &token))
        ShowFromAnotherStart(token);
    else if (line == "reload")
        ReloadFromOutside();
}

void TForm1::ReloadTaskList() {
    Form2->LoadTasks(Form2->LoadedCategory);
}

void TForm1::ShowFromAnotherStart(const QString& activationToken) {
    if (!MainShown)
        ShowOrganizer();
    else if (isMinimized())
        showNormal();
    // A window open over the main window (the editor, a message box) is where the user was:
    // it is the one that comes forward.
    QWidget* front = QApplication::activeModalWidget();
    if (!front)
        front = this;
    front->raise();
    if (!options_.tokenActivation) {
        front->activateWindow();
        return;
    }
    ActivateWithToken(front, activationToken);
    // The window system says nothing of a refused activation, and a minimized window cannot
    // ask to be restored: a window still not active after a moment is shown anew, as a new
    // window comes up in front.
    QTimer::singleShot(ActivationWaitMs, this, &TForm1::ShowAnewUnlessActive);
}

void TForm1::ShowAnewUnlessActive() {
    // Hiding a modal window would end it; a main window under one is left as it is.
    if (QApplication::activeWindow() || QApplication::activeModalWidget())
        return;
    hide();
    showNormal();
}

void TForm1::ReloadFromOutside() {
    // Lines that come together (a script adding many tasks, a client repeating itself) are
    // one reload. Never under a window that works on the records (the editor, the popup, a
    // message box) or an open menu: the reload waits until they are closed.
    if (reloadWaiting_)
        return;
    reloadWaiting_ = true;
    WhenNothingIsOpen(100, [this] {
        reloadWaiting_ = false;
        RunReportingErrors(this, [this] {
            LoadCategoryMenu();
            CheckLoadedCategoryItem();
            Form2->ReloadKeepingFocus();
        });
    });
}

void TForm1::WhenNothingIsOpen(int delayMs, std::function<void()> work) {
    QTimer::singleShot(delayMs, this, [this, delayMs, work = std::move(work)]() mutable {
        if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
            WhenNothingIsOpen(delayMs, std::move(work));
        else
            work();
    });
}
