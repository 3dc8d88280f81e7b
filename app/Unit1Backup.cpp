// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Unit1.h"

#include "reminders/ReminderCheck.h"
#include "store/DmUnit.h"
#include "store/dates/DateText.h"
#include "store/dates/dateUnit.h"
#include "store/db/Backup.h"
#include "store/db/StoreError.h"
#include "tasklist/Unit2.h"
#include "uikit/MessageBox.h"
#include "uikit/Reporting.h"

#include <QTimer>

// The daily copy of the database, and the way back to it when the file is found damaged at
// start-up.

void TForm1::LoadAtStartup() {
    const auto startReminderCheck = [this] { Reminders->Start(); };
    try {
        Form2->FormCreate(startReminderCheck);
    } catch (const StoreError& error) {
        const std::optional<TBackup> backup = NewestBackup(dm_.DatabasePath());
        if (!error.Damaged() || !backup)
            throw;
        const QString date = QString::fromStdString(backup->date);
        ShowErrorBox(this, QString::fromUtf8(error.what()) + "\n\nThe newest backup is of " + date +
                               ": " + QString::fromStdString(backup->path));
        if (!AskConfirm(this, "Restore the backup of " + date + "?"))
            return;
        RestoreBackup(dm_.DatabasePath(), *backup, NowStamp());
        Form2->FormCreate(startReminderCheck);
    }
}

void TForm1::MakeTodaysBackup() {
    // A file the list could not read is not copied: its copy would push a good one out.
    if (!dm_.Writable())
        return;
    RunReportingErrors(this, [this] { TakeDailyBackup(dm_.DatabasePath(), FormatDate(Now())); });
}

void TForm1::ScheduleDailyBackup() {
    // After the window is up, between two events, so that no write of ours is under way.
    QTimer::singleShot(0, this, &TForm1::MakeTodaysBackup);
}
