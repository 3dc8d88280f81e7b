// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "editor/Unit17.h"
#include "reminders/Unit3.h"
#include "store/db/StoreError.h"
#include "tasklist/TaskListModel.h"
#include "tasklist/Unit2.h"
#include "tests/ui/TaskEditorRig.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"

#include <QRadioButton>
#include <QTreeView>

// The list always shows what the file holds, whatever another program does to the file
// around the list's own commands.
class TestListFollowsFile : public QObject {
    Q_OBJECT

    std::unique_ptr<TEditorRig> rig_;
    TForm2* list_ = nullptr;
    TForm17* editor_ = nullptr;
    // Another program's connection, holding the file locked.
    sqlite3* locker_ = nullptr;

    QString Db() const { return rig_->Db(); }
    TTaskListModel& Rows() const { return *qobject_cast<TTaskListModel*>(VDT(*list_)->model()); }
    void Focus(int row) { VDT(*list_)->setCurrentIndex(Rows().index(row, 0)); }

    void WhenEditorOpens(const std::function<void()>& act) {
        QTimer::singleShot(0, editor_, [this, act] {
            QVERIFY(editor_->isVisible());
            act();
        });
    }
    void ClickOk() { QTest::mouseClick(BitBtn1(*editor_), Qt::LeftButton); }
    // Another program takes the file the moment our save has committed.
    void LockRightAfterTheNextCommit() {
        rig_->dm.ADOTable1.SetAfterCommit([this] {
            rig_->dm.ADOTable1.SetAfterCommit({});
            sqlite3_open(Db().toUtf8().constData(), &locker_);
            sqlite3_exec(locker_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
        });
    }
    QByteArray StoredNote(int task) const {
        return QByteArray::fromHex(
            Scalar(Db(), QString("SELECT hex(strNote) FROM t_note WHERE idTask = %1").arg(task))
                .toString()
                .toLatin1());
    }

private slots:
    void init() {
        rig_ = std::make_unique<TEditorRig>();
        InsertTasks(rig_->Db(), {{.id = 1, .name = "one", .note = "first\r\nsecond"},
                                 {.id = 2, .name = "two", .category = 2},
                                 {.id = 3, .name = "three"}});
        list_ = rig_->main->Form2;
        editor_ = rig_->editor;
        list_->LoadTasks(0);
        rig_->main->show();
    }
    void cleanup() {
        VerifyCleanEnd();
        if (locker_) {
            sqlite3_exec(locker_, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(locker_);
            locker_ = nullptr;
        }
        rig_.reset();
    }

    void anAddThatTookShowsInTheListThoughTheFileIsLockedAfterIt() {
        LockRightAfterTheNextCommit();
        WhenEditorOpens([this] {
            Edit1(*editor_)->setText("four");
            ClickOk();
        });
        list_->BitBtn1Click();
        QVERIFY(locker_);
        QCOMPARE(ShownMessageBoxes(), QStringList());
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{1, 2, 3, 4}));
        QCOMPARE(list_->ShownTasks.back().strCategory, std::string("Personal"));
        QCOMPARE(list_->AllTasks.back().strName, std::string("four"));
    }

    void anEditThatTookShowsInTheListThoughTheFileIsLockedAfterIt() {
        Focus(1);
        LockRightAfterTheNextCommit();
        WhenEditorOpens([this] {
            Edit1(*editor_)->setText("two, renamed");
            ComboBox1(*editor_)->setCurrentIndex(2);
            ClickOk();
        });
        list_->BitBtn2Click();
        QVERIFY(locker_);
        QCOMPARE(ShownMessageBoxes(), QStringList());
        QCOMPARE(list_->ShownTasks[1].strName, std::string("two, renamed"));
        QCOMPARE(list_->ShownTasks[1].intPos, 3);
        QCOMPARE(list_->AllTasks[1].strName, std::string("two, renamed"));
    }

    // A reload of the file (a sync, tolvek-tasks) can run in the last round of a modal window's
    // event loop, after the window saved and before the command that opened it goes on.
    void anAddReloadedAsTheEditorClosesIsListedOnce() {
        rig_->dm.ADOTable1.SetAfterCommit([this] {
            rig_->dm.ADOTable1.SetAfterCommit({});
            list_->LoadTasks(0);
        });
        WhenEditorOpens([this] {
            Edit1(*editor_)->setText("four");
            ClickOk();
        });
        list_->BitBtn1Click();
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{1, 2, 3, 4}));
        QCOMPARE(Ids(list_->AllTasks), (std::vector<int>{1, 2, 3, 4}));
        QCOMPARE(VDT(*list_)->currentIndex().row(), 3);
    }

    void anEditReloadedAsTheEditorClosesChangesOnlyItsTask() {
        Focus(1);
        rig_->dm.ADOTable1.SetAfterCommit([this] {
            rig_->dm.ADOTable1.SetAfterCommit({});
            Exec(Db(), "DELETE FROM t_task WHERE id = 1");
            list_->LoadTasks(0);
        });
        WhenEditorOpens([this] {
            Edit1(*editor_)->setText("two, renamed");
            ClickOk();
        });
        list_->BitBtn2Click();
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{2, 3}));
        QCOMPARE(list_->ShownTasks[0].strName, std::string("two, renamed"));
        QCOMPARE(list_->ShownTasks[1].strName, std::string("three"));
        QCOMPARE(VDT(*list_)->currentIndex().row(), 0);
    }

    void aDeleteReloadedWhileItAsksDeletesTheTaskItAskedAbout() {
        Focus(1);
        SetUnansweredMessageBoxHandler([this](const QString&) {
            Exec(Db(), "DELETE FROM t_task WHERE id = 1");
            list_->LoadTasks(0);
            return QMessageBox::Yes;
        });
        list_->BitBtn3Click();
        FailOnUnansweredMessageBoxes();
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{3}));
        QCOMPARE(RowCount(Db(), "t_task"), 1);
        ClearShownMessageBoxes();
    }

    void theEditorStaysClosedWhenItCannotReadTheCategories() {
        Exec(Db(), "ALTER TABLE t_category RENAME TO t_elsewhere");
        QueueMessageBoxAnswer(QMessageBox::Ok);
        bool opened = false;
        QTimer::singleShot(0, editor_, [&] { opened = editor_->isVisible(); });
        list_->BitBtn1Click();
        QTest::qWait(0);
        QVERIFY(!opened);
        QVERIFY(!editor_->isVisible());
        QCOMPARE(ShownMessageBoxes().size(), 1);
        QVERIFY(ShownMessageBoxes().front().contains("t_category"));
        QCOMPARE(RowCount(Db(), "t_task"), 3);
    }

    void aTaskGoneFromTheFileIsReportedAndTheListReloaded_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("delete") << "delete";
        QTest::newRow("edit") << "edit";
        QTest::newRow("done mark") << "done";
        QTest::newRow("reminder popup") << "popup";
    }
    void aTaskGoneFromTheFileIsReportedAndTheListReloaded() {
        QFETCH(QString, command);
        Focus(1);
        Exec(Db(), "DELETE FROM t_task WHERE id = 2");
        if (command == "delete")
            QueueMessageBoxAnswer(QMessageBox::Yes);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        if (command == "delete") {
            list_->BitBtn3Click();
        } else if (command == "edit") {
            WhenEditorOpens([this] { ClickOk(); });
            list_->BitBtn2Click();
            QVERIFY(!editor_->isVisible());
        } else if (command == "done") {
            list_->VDTChecked(1, true);
        } else {
            TForm3& popup = rig_->windows->ReminderPopup();
            popup.TaskId = 2;
            RadioButton3(popup)->setChecked(true);
            popup.show();
            popup.close();
        }
        QVERIFY(
            ShownMessageBoxes().contains("Error: Error, the task is no longer in the database!"));
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{1, 3}));
        QCOMPARE(Ids(list_->AllTasks), (std::vector<int>{1, 3}));
        ClearShownMessageBoxes();
    }

    void afterAFailedLoadNothingIsWritten() {
        Exec(Db(), "UPDATE t_task SET intDone = 'perhaps' WHERE id = 3");
        QVERIFY_THROWS_EXCEPTION(StoreError, list_->LoadTasks(0));
        QVERIFY(list_->ShownTasks.empty());
        QueueMessageBoxAnswer(QMessageBox::Ok);
        WhenEditorOpens([this] {
            Edit1(*editor_)->setText("written into a file the list cannot show");
            ClickOk();
            QTimer::singleShot(0, editor_, [this] { editor_->close(); });
        });
        list_->BitBtn1Click();
        QCOMPARE(ShownMessageBoxes().size(), 1);
        QVERIFY(ShownMessageBoxes().front().contains("perhaps"));
        QCOMPARE(RowCount(Db(), "t_task"), 3);

        // A load that succeeds lets the commands write again.
        Exec(Db(), "UPDATE t_task SET intDone = 1 WHERE id = 3");
        list_->LoadTasks(0);
        WhenEditorOpens([this] {
            Edit1(*editor_)->setText("now it may");
            ClickOk();
        });
        list_->BitBtn1Click();
        QCOMPARE(RowCount(Db(), "t_task"), 4);
        ClearShownMessageBoxes();
    }

    void aNoteLeftAloneKeepsItsBytesAndAnEditedOneItsLineEnds() {
        Focus(0);
        WhenEditorOpens([this] { ClickOk(); });
        list_->BitBtn2Click();
        QCOMPARE(StoredNote(1), QByteArray("first\r\nsecond"));

        WhenEditorOpens([this] {
            Memo1(*editor_)->setPlainText("first\nsecond\nthird");
            ClickOk();
        });
        list_->BitBtn2Click();
        QCOMPARE(StoredNote(1), QByteArray("first\r\nsecond\r\nthird"));
        QCOMPARE(list_->ShownTasks[0].strNote, std::string("first\r\nsecond\r\nthird"));
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestListFollowsFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ListFollowsFile.moc"
