// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Unit1.h"

#include "store/DmUnit.h"
#include "syncing/FormSync.h"
#include "uikit/MessageBox.h"
#include "uikit/Reporting.h"

#include <QAction>
#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>

// The background sync with the database's account: reached through the tray menu's
// "Sync Now" and the category menu's "Sync...", told of every change made here, followed by
// the list when a sync brings something in. A sync that fails never opens a box: the tray
// icon's hint says so. Only deletions held back ask the user, once per sync that finds them.

namespace {

// More would make a box taller than a screen.
constexpr size_t ListedHeldTasks = 15;

QString HeldQuestion(const std::vector<TSyncHeldRow>& held) {
    QString text = held.size() == 1
                       ? "The last sync would delete a task:\n"
                       : QString("The last sync would delete %1 tasks:\n").arg(held.size());
    for (size_t i = 0; i < held.size() && i < ListedHeldTasks; ++i)
        text += QString("\n%1 (deleted %2)")
                    .arg(QString::fromStdString(held[i].task).simplified(),
                         held[i].side == "here" ? "here" : "on the server");
    if (held.size() > ListedHeldTasks)
        text += QString("\nand %1 more").arg(held.size() - ListedHeldTasks);
    return text + "\n\nDelete them on both sides, or keep them on both?";
}

} // namespace

void TForm1::StartSync() {
    sync_ = new TSyncScheduler(dm_.Folders(), options_.syncTimings, this);
    connect(sync_, &TSyncScheduler::StateChanged, this, &TForm1::SyncStateChanged);
    connect(sync_, &TSyncScheduler::TasksChanged, this, &TForm1::ReloadFromOutside);
    connect(sync_, &TSyncScheduler::DeletionsHeld, this, &TForm1::AskAboutHeldDeletions);
    connect(SyncNow1, &QAction::triggered, sync_, &TSyncScheduler::SyncNow);
    TFormSync& window = windows_.syncWindow;
    connect(&window, &TFormSync::AccountChanged, sync_, &TSyncScheduler::AccountChanged);
    connect(&window, &TFormSync::SyncRequested, sync_, &TSyncScheduler::SyncNow);
    connect(&window, &TFormSync::PasswordForThisRun, sync_, &TSyncScheduler::SetPasswordForThisRun);
    connect(sync_, &TSyncScheduler::ProblemChanged, &window, &TFormSync::SetSyncProblem);
    // The window reads the account and the state as it opens; while it is open it follows
    // each sync.
    connect(sync_, &TSyncScheduler::StateChanged, &window, [&window] {
        if (window.isVisible())
            RunReportingErrors(&window, [&window] { window.Refresh(); });
    });
    // Every change the windows write passes through the data module's cursor.
    dm_.ADOTable1.SetAfterWrite([this] { sync_->LocalChange(); });
    SyncStateChanged();
}

void TForm1::ConnectSyncWindow() {
    // A value taken back from the sync log is written behind the list's back.
    connect(&windows_.syncWindow, &TFormSync::TasksChanged, this, &TForm1::ReloadFromOutside);
}

void TForm1::Sync1Click() {
    windows_.syncWindow.exec();
    LoadCategoryMenu();
    CheckLoadedCategoryItem();
}

void TForm1::SyncStateChanged() {
    SyncNow1->setVisible(sync_->HasAccount());
    TrayIcon1->setToolTip(SyncHint(sync_));
}

void TForm1::AskAboutHeldDeletions(const std::vector<TSyncHeldRow>& held) {
    heldToAsk_ = held;
    if (heldBoxOpen_)
        return;
    heldBoxOpen_ = true;
    // Asked from the event loop, never from within the sync's report.
    WhenNothingIsOpen(100, [this] {
        const std::vector<TSyncHeldRow> held = std::exchange(heldToAsk_, {});
        const bool remove = AskChoice(this, HeldQuestion(held), "Delete them", "Keep them");
        heldBoxOpen_ = false;
        // The answer covers every deletion held until now, also those found while it was
        // asked.
        heldToAsk_.clear();
        if (remove)
            sync_->ConfirmDeletions();
        else
            sync_->KeepDeleted();
    });
}
