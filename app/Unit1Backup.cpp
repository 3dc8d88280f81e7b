// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Unit1.h"

#include "reminders/ReminderCheck.h"
#include "store/DmUnit.h"
#include "store/dates/DateText.h"
#include "store/dates/dateUnit.h"
#include "store/db/Backup.h"
#include "store/db/Schema.h"
#include "store/db/StoreError.h"
#include "tasklist/Unit2.h"
#include "uikit/MessageBox.h"
#include "uikit/Reporting.h"

#include <QApplication>
#include <QTimer>

#include <filesystem>

// The daily copy of the database, and the way back to one when the file is found damaged or
// gone.

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

void TForm1::LoadAtStartup() {
    const std::string database = dm_.DatabasePath();
    if (const std::optional<std::string> kept = FinishInterruptedRestore(database, NowStamp()))
        ShowErrorBox(this, "A restore of the database was cut short; it is finished now: the "
                           "backup is in place of " +
                               Text(database) +
                               (kept->empty()
                                    ? QString(".")
                                    : ", and the damaged file is kept as " + Text(*kept) + "."));
    std::error_code ec;
    if (!std::filesystem::exists(database, ec) && !ec && DatabaseWasHere(database))
        OfferBackupForLostDatabase();
    dm_.DataModuleCreate();
    try {
        Form2->FormCreate([this] { Reminders->Start(); });
    } catch (const StoreError& error) {
        if (!error.Damaged() || Backups(database, FormatDate(Now())).empty())
            throw;
        const QString problem = QString::fromUtf8(error.what());
        if (!OfferSoundBackup(problem))
            return;
        Form2->FormCreate([this] { Reminders->Start(); });
    }
}

void TForm1::OfferBackupForLostDatabase() {
    const std::string database = dm_.DatabasePath();
    const QString lost = "The database " + Text(database) +
                         " is gone, but its backups or damaged copies are still there.";
    const std::optional<TBackup> backup = NewestSoundBackup(database, FormatDate(Now()));
    if (!backup) {
        ShowErrorBox(this, lost + "\n\nNo backup passes its integrity check. The program starts "
                                  "with a new empty database; every file there is kept.");
    } else if (AskConfirm(this, lost + "\n\nRestore the backup of " + Text(backup->date) +
                                    "? No starts with a new empty database and keeps every "
                                    "file there.")) {
        RestoreBackup(database, *backup, NowStamp());
        return;
    }
    CreateDatabase(database);
}

bool TForm1::OfferSoundBackup(const QString& problem) {
    const std::string database = dm_.DatabasePath();
    const std::optional<TBackup> backup = NewestSoundBackup(database, FormatDate(Now()));
    if (!backup) {
        ShowErrorBox(this, problem + "\n\nNo backup in " + Text(BackupFolder(database)) +
                               " passes its integrity check: none can be restored.");
        return false;
    }
    const QString date = Text(backup->date);
    ShowErrorBox(this, problem + "\n\nThe newest backup that passes its integrity check is of " +
                           date + ": " + Text(backup->path));
    if (!AskConfirm(this, "Restore the backup of " + date + "?"))
        return false;
    RestoreBackup(database, *backup, NowStamp());
    return true;
}

void TForm1::MakeTodaysBackup() {
    // A file the list could not read is not copied: its copy would push a good one out. One
    // copy at a time.
    if (!dm_.Writable() || backupThread_.joinable())
        return;
    const std::string database = dm_.DatabasePath();
    const std::string today = FormatDate(Now());
    // The copy and its integrity check take long on a large file: they run on a thread and
    // connections of their own, and the outcome comes back to the window's thread.
    backupThread_ = std::thread([this, database, today] {
        std::string failure;
        bool damaged = false;
        try {
            TakeDailyBackup(database, today);
        } catch (const StoreError& error) {
            failure = error.what();
            damaged = error.Damaged();
        } catch (const std::exception& error) {
            failure = error.what();
        }
        QMetaObject::invokeMethod(
            this, [this, failure, damaged] { DailyBackupDone(Text(failure), damaged); },
            Qt::QueuedConnection);
    });
}

void TForm1::DailyBackupDone(const QString& failure, bool damaged) {
    if (backupThread_.joinable())
        backupThread_.join();
    if (!failure.isEmpty())
        ReportBackupFailure(failure, damaged);
    emit DailyBackupFinished();
}

void TForm1::ReportBackupFailure(const QString& failure, bool damaged) {
    // Never over a window that works on the records or an open menu: the box waits.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        WhenNothingIsOpen(200, [this, failure, damaged] { ReportBackupFailure(failure, damaged); });
        return;
    }
    RunReportingErrors(this, [&] {
        if (!damaged) {
            ShowErrorBox(this, failure);
            return;
        }
        // Told once a run, however often the copy is tried.
        if (damageTold_)
            return;
        damageTold_ = true;
        if (!OfferSoundBackup(failure))
            return;
        LoadCategoryMenu();
        CheckLoadedCategoryItem();
        Form2->LoadTasks(Form2->LoadedCategory);
    });
}

void TForm1::ScheduleDailyBackup() {
    // After the window is up, between two events, so that no write of ours is under way.
    QTimer::singleShot(0, this, &TForm1::MakeTodaysBackup);
}
