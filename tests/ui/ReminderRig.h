// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the reminder tests share: a fresh program folder and database, a clock the test sets,
// and the program's main window with its popup and editor.

#include "app/Unit1.h"
#include "editor/Unit17.h"
#include "reminders/Unit3.h"
#include "store/DmUnit.h"
#include "store/dates/dateUnit.h"
#include "tasklist/Unit2.h"
#include "tests/ui/TestSupport.h"
#include "uikit/BalloonWindow.h"
#include "uikit/MessageBox.h"

#include <QObject>
#include <memory>

class TReminderTestBase : public QObject {
protected:
    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<TForm1> main_;
    std::unique_ptr<TForm3> popup_;
    std::unique_ptr<TForm17> editor_;
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
        editor_.reset();
        popup_.reset();
        main_.reset();
        SetNowSource({});
        DM = nullptr;
        dm_.reset();
        home_.reset();
    }

    // A program over a database holding the rows (none: the database is left as the test
    // made it), its main window hidden; without a notification area unless trayAvailable, so
    // that reminders show in the balloon window.
    TForm1& Start(const std::vector<TTaskRow>& rows, bool trayAvailable = false) {
        if (!rows.empty())
            InsertTasks(home_->DatabasePath(), rows);
        main_ = std::make_unique<TForm1>(*dm_, TStartOptions{true, trayAvailable});
        popup_ = std::make_unique<TForm3>(*main_, main_->Form2->Tasks());
        editor_ = std::make_unique<TForm17>(*dm_, *main_);
        main_->Form3 = popup_.get();
        main_->Form17 = editor_.get();
        main_->Form2->Form17 = editor_.get();
        return *main_;
    }

    bool BalloonUp() const { return main_->Balloon && main_->Balloon->isVisible(); }
};
