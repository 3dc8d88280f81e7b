// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the reminder tests share: a fresh program folder and database, a clock the test sets,
// and the program's windows, among them the main window with its popup and editor.

#include "app/ProgramWindows.h"
#include "editor/Unit17.h"
#include "reminders/ReminderCheck.h"
#include "reminders/Unit3.h"
#include "store/DmUnit.h"
#include "store/dates/dateUnit.h"
#include "tasklist/Unit2.h"
#include "tests/ui/TestSupport.h"
#include "uikit/BalloonWindow.h"
#include "uikit/MessageBox.h"

#include <QApplication>
#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>

class TReminderTestBase : public QObject {
protected:
    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<TProgramWindows> windows_;
    TForm1* main_ = nullptr;
    TForm3* popup_ = nullptr;
    TForm17* editor_ = nullptr;
    double now_ = 0;

    // For init(): a new database and the clock at `now`.
    void SetUpRig(double now) {
        home_ = std::make_unique<TTestHome>();
        dm_ = std::make_unique<TDM>(home_->Path().toStdString());
        dm_->DataModuleCreate();
        DM = dm_.get();
        now_ = now;
        SetNowSource([this] { return now_; });
        ClearShownMessageBoxes();
    }
    // For cleanup().
    void TearDownRig() {
        editor_ = nullptr;
        popup_ = nullptr;
        main_ = nullptr;
        windows_.reset();
        SetNowSource({});
        DM = nullptr;
        dm_.reset();
        home_.reset();
    }

    // A program over a database holding the rows (none: the database is left as the test
    // made it), its main window hidden; without a notification area unless trayAvailable, so
    // that reminders show in the balloon window; with the desktop's notifications when asked.
    TForm1& Start(const std::vector<TTaskRow>& rows, bool trayAvailable = false,
                  bool desktopNotifications = false) {
        if (!rows.empty())
            InsertTasks(home_->DatabasePath(), rows);
        windows_ = std::make_unique<TProgramWindows>(
            *dm_, TStartOptions{.startedWithArgument = true,
                                .trayAvailable = trayAvailable,
                                .desktopNotifications = desktopNotifications});
        main_ = &windows_->MainWindow();
        popup_ = &windows_->ReminderPopup();
        editor_ = &windows_->TaskEditor();
        return *main_;
    }

    // An hour before the rig's clock: due at every scan.
    double HourAgo() const { return now_ - 1.0 / 24; }
    // A task whose reminder is an hour due, with a note when one is given.
    TTaskRow DueRow(int id, const std::string& name,
                    std::optional<std::string> note = std::nullopt) const {
        return {.id = id,
                .name = name,
                .reminder = 1,
                .datetimeReminder = HourAgo(),
                .note = std::move(note)};
    }
    // The object names of the program's windows on the screen.
    static QStringList VisibleWindows() {
        QStringList shown;
        for (const QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible())
                shown.append(window->objectName());
        return shown;
    }

    bool BalloonUp() const {
        return main_->Reminders->Balloon && main_->Reminders->Balloon->isVisible();
    }
};
