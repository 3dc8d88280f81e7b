// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Unit1.h"

#include "tasklist/Unit2.h"
#include "uikit/Reporting.h"

#include <QApplication>
#include <QTimer>

// What other programs ask of the running one through its socket: a second start asks to see
// the window, the command-line tools to read the file again after they changed it.

void TForm1::RemoteRequest(const QString& line) {
    if (line == "show")
        ShowFromAnotherStart();
    else if (line == "reload")
        ReloadFromOutside();
}

void TForm1::ReloadTaskList() {
    Form2->LoadTasks(Form2->LoadedCategory);
}

void TForm1::ShowFromAnotherStart() {
    if (!MainShown) {
        ShowOrganizer();
        return;
    }
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void TForm1::ReloadFromOutside() {
    // Never under a window that works on the records (the editor, the popup, a message box)
    // or an open menu: the reload waits until they are closed.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        if (!reloadWaiting_) {
            reloadWaiting_ = true;
            QTimer::singleShot(200, this, [this] {
                reloadWaiting_ = false;
                ReloadFromOutside();
            });
        }
        return;
    }
    RunReportingErrors(this, [this] {
        LoadCategoryMenu();
        CheckLoadedCategoryItem();
        Form2->LoadTasks(Form2->LoadedCategory);
    });
}
