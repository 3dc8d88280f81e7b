// SPDX-License-Identifier: GPL-3.0-or-later

// The reminder popup opened by a click on a reminder balloon: its looks, the operation its
// close carries out on the records, the row and the file, the edit that may follow, and the
// balloon window that stands in for tray balloons.

#include "app/Application.h"
#include "reminders/Unit3.h"
#include "tasklist/TaskListModel.h"
#include "tasklist/Unit2.h"
#include "tests/ui/ReminderRig.h"
#include "tests/ui/TaskEditorRig.h"
#include "uikit/BalloonWindow.h"
#include "uikit/FrameController.h"
#include "uikit/MyImage.h"

#include "tests/ui/TestSupport.h"

#include <QDataStream>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTreeView>
#include <QWindow>

#include <algorithm>
#include <array>
#include <functional>

namespace {

// An hour before the fixed clock: due at every scan of these tests.
double PastReminder() {
    return FixedNow() - 1.0 / 24;
}

// Task 1 "walk" (Personal) is due; task 2 "report" (Work) and task 3 "milk" (Personal) are not.
std::vector<TTaskRow> ThreeTasks() {
    return {
        {.id = 1, .name = "walk", .category = 1, .reminder = 1, .datetimeReminder = PastReminder()},
        {.id = 2, .name = "report", .category = 2},
        {.id = 3,
         .name = "milk",
         .category = 1,
         .reminder = 1,
         .datetimeReminder = FixedNow() + 1}};
}

// The values a test compares a task by, record or file row alike.
struct TTaskState {
    int done = 0;
    int reminder = 0;
    double when = 0;
    bool operator==(const TTaskState&) const = default;
};

// How QCOMPARE prints a state that differs.
char* toString(const TTaskState& state) {
    return qstrdup(QString("done %1, reminder %2, at %3")
                       .arg(state.done)
                       .arg(state.reminder)
                       .arg(state.when, 0, 'f', 8)
                       .toUtf8()
                       .constData());
}

TTaskState StateOf(const TMyRec2& task) {
    return {task.intDone, task.intReminder, task.datetimeReminder};
}

enum TChoice { Postpone = 1, CancelReminder, MarkDone, EditTask };

} // namespace

class TestReminderPopup : public TReminderTestBase {
    Q_OBJECT

    TForm2& List() { return *main_->Form2; }
    TTaskListModel& Rows() { return *qobject_cast<TTaskListModel*>(List().VDT()->model()); }
    Qt::CheckState CheckOf(int row) {
        return Rows().index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>();
    }
    int ShownRow(int id) {
        const auto& shown = List().ShownTasks;
        const auto found = std::find_if(shown.begin(), shown.end(),
                                        [id](const TMyRec2& task) { return task.id == id; });
        return found == shown.end() ? -1 : static_cast<int>(found - shown.begin());
    }
    const TMyRec2& Record(int id) {
        return *std::find_if(List().AllTasks.begin(), List().AllTasks.end(),
                             [id](const TMyRec2& task) { return task.id == id; });
    }
    TTaskState StoredState(int id) const {
        const auto column = [&](const char* name) {
            return Scalar(home_->DatabasePath(),
                          QString("SELECT %1 FROM t_task WHERE id = %2").arg(name).arg(id));
        };
        return {column("intDone").toInt(), column("intReminder").toInt(),
                column("datetimeReminder").toDouble()};
    }

    // Runs the action on the window once its exec() runs.
    static void OnceShown(QDialog* window, const std::function<void()>& action) {
        QTimer::singleShot(0, window, action);
    }
    // Ends a popup that an action left open without carrying out any operation, so that a
    // failing test cannot hang in its exec().
    void EnsurePopupClosed() {
        if (popup_->isVisible())
            popup_->hide();
    }
    void EnsureEditorClosed() {
        if (editor_->isVisible())
            editor_->reject();
    }
    static void Choose(QRadioButton* choice) {
        QTest::mouseClick(choice, Qt::LeftButton, {}, QPoint(6, choice->height() / 2));
    }
    void ClickOk() { QTest::mouseClick(popup_->BitBtn1, Qt::LeftButton); }
    // Clicks the balloon window where the user would: through the window system, so that a
    // modal window gets its say.
    void ClickBalloonWindow(Qt::MouseButton button) {
        QTest::mouseClick(main_->Reminders->Balloon->windowHandle(), button, {}, QPoint(20, 20));
    }
    QRadioButton* Choice(int choice) {
        const std::array<QRadioButton*, 4> choices{popup_->RadioButton1, popup_->RadioButton2,
                                                   popup_->RadioButton3, popup_->RadioButton4};
        return choices.at(static_cast<size_t>(choice - 1));
    }

    // Clicks the balloon of the task announced last; the action works the popup.
    void ClickBalloon(const std::function<void()>& onPopup) {
        OnceShown(popup_, [this, onPopup] {
            onPopup();
            EnsurePopupClosed();
        });
        main_->Reminders->TrayIcon1BalloonHintClick();
    }
    // Clicks the balloon, picks the choice (and delay) and clicks "OK".
    void CloseWith(int choice, int delay = 0) {
        ClickBalloon([this, choice, delay] {
            Choose(Choice(choice));
            popup_->ComboBox1->setCurrentIndex(delay);
            ClickOk();
        });
    }

private slots:
    void init() {
        SetUpRig(FixedNow());
        Exec(home_->DatabasePath(),
             "INSERT INTO t_category (id, strName, intImg, intPos) VALUES (4, 'Errands', 7, 9)");
    }

    void cleanup() {
        VerifyCleanEnd();
        TearDownRig();
    }

    void popupLooks() {
        std::vector<TTaskRow> tasks = ThreeTasks();
        tasks[0].note = "  call back\nsoon";
        TForm1& main = Start(tasks);
        TForm3& popup = *popup_;
        QVERIFY(popup.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(popup.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(popup.windowOpacity(), 245.0 / 255.0);
        QCOMPARE(popup.size(), QSize(292, 446));
        QCOMPARE(popup.minimumSize(), popup.maximumSize());
        QVERIFY(popup.Edit1->isReadOnly());
        QVERIFY(popup.Memo1->isReadOnly());
        QCOMPARE(popup.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(popup.GroupBox1->title(), QString(" Operation "));
        QCOMPARE(popup.RadioButton1->text(), QString("Reminder again after  "));
        QCOMPARE(popup.RadioButton2->text(),
                 QString("Cancel the task's reminder, don't remind again."));
        QCOMPARE(popup.RadioButton3->text(),
                 QString("The task had been done, not need to remind."));
        QCOMPARE(popup.RadioButton4->text(), QString("Edit the task."));
        QVERIFY(!popup.ComboBox1->isEditable());
        QCOMPARE(popup.BitBtn1->text(), QString("OK"));
        QVERIFY(popup.BitBtn1->isDefault());
        QVERIFY(popup.Frame->Image_Close());
        QVERIFY(!popup.isVisible());

        main.Reminders->Timer3Timer();
        QVERIFY(BalloonUp());
        bool modal = false;
        bool onTop = false;
        QPoint centre;
        QString name;
        QString note;
        bool timersOff = false;
        bool balloonHidden = false;
        ClickBalloon([&] {
            modal = popup.isModal();
            onTop = popup.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            centre = popup.geometry().center();
            name = popup.Edit1->text();
            note = popup.Memo1->toPlainText();
            timersOff = !main.Reminders->Timer3->isActive() && !main.Reminders->Timer4->isActive();
            balloonHidden = !BalloonUp();
            ClickOk();
        });
        QVERIFY(modal);
        QVERIFY(onTop);
        const QRect area = popup.screen()->availableGeometry();
        QVERIFY((centre - area.center()).manhattanLength() <= 2);
        QCOMPARE(name, QString("walk"));
        QCOMPARE(note, QString("  call back\nsoon"));
        QVERIFY(timersOff);
        QVERIFY(balloonHidden);
        QVERIFY(!popup.isVisible());
        QVERIFY(main.Reminders->Timer3->isActive());
        QVERIFY(!main.Reminders->Timer4->isActive());
    }

    void operationOnTask_data() {
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("shown");
        for (const bool shown : {true, false}) {
            const char* where = shown ? "shown" : "not shown";
            QTest::addRow("postpone, %s", where) << int(Postpone) << shown;
            QTest::addRow("cancel reminder, %s", where) << int(CancelReminder) << shown;
            QTest::addRow("done, %s", where) << int(MarkDone) << shown;
        }
    }

    void operationOnTask() {
        QFETCH(int, choice);
        QFETCH(bool, shown);
        TForm1& main = Start(ThreeTasks());
        if (!shown)
            List().LoadTasks(2);
        main.Reminders->Timer3Timer();
        QCOMPARE(main.Reminders->ReminderTaskId, 1);
        const int row = ShownRow(1);
        QCOMPARE(row >= 0, shown);
        if (shown)
            QCOMPARE(CheckOf(row), Qt::Unchecked);
        const std::vector<TMyRec2> shownBefore = List().ShownTasks;
        const TTaskState otherBefore = StateOf(Record(3));
        QSignalSpy rowsChanged(&Rows(), &QAbstractItemModel::dataChanged);

        // " 2 hours" is at position 5 of the delay list.
        CloseWith(choice, 5);

        TTaskState expected{0, 1, PastReminder()};
        if (choice == Postpone)
            expected.when = FixedNow() + 1.0 / 12;
        else if (choice == CancelReminder)
            expected.reminder = 0;
        else
            expected.done = 1;
        QVERIFY(!popup_->isVisible());
        QVERIFY(!popup_->EditRequested);
        QCOMPARE(StoredState(1), expected);
        QCOMPARE(StateOf(Record(1)), expected);
        QCOMPARE(StateOf(Record(3)), otherBefore);
        QCOMPARE(StoredState(3), otherBefore);
        QCOMPARE(Ids(List().ShownTasks), Ids(shownBefore));
        if (shown) {
            QCOMPARE(StateOf(List().ShownTasks[static_cast<size_t>(row)]), expected);
            QCOMPARE(rowsChanged.size(), 1);
            QCOMPARE(rowsChanged.front().at(0).toModelIndex().row(), row);
            QCOMPARE(CheckOf(row), choice == MarkDone ? Qt::Checked : Qt::Unchecked);
        } else {
            QCOMPARE(StateOf(List().ShownTasks.front()), StateOf(shownBefore.front()));
            QCOMPARE(rowsChanged.size(), 0);
        }
        QVERIFY(ShownMessageBoxes().isEmpty());
        QVERIFY(main.Reminders->Timer3->isActive());
    }

    void everyDelayOfTheList_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("minutes");
        const QStringList texts{"  5 minutes", "10 minutes", "15 minutes", "30 minutes",
                                " 1 hour",     " 2 hours",   " 3 hours",   " 6 hours",
                                " 9 hours",    "12 hours",   "24 hours"};
        const QList<int> minutes{5, 10, 15, 30, 60, 120, 180, 360, 540, 720, 1440};
        for (int k = 0; k < texts.size(); ++k)
            QTest::addRow("%d", k) << k << texts[k] << minutes[k];
    }

    void everyDelayOfTheList() {
        QFETCH(int, position);
        QFETCH(QString, text);
        QFETCH(int, minutes);
        Start(ThreeTasks());
        QCOMPARE(popup_->ComboBox1->count(), 11);
        QCOMPARE(popup_->ComboBox1->itemText(position), text);
        main_->Reminders->Timer3Timer();
        CloseWith(Postpone, position);
        QCOMPARE(StoredState(1).when, FixedNow() + minutes / 1440.0);
        QCOMPARE(Record(1).datetimeReminder, FixedNow() + minutes / 1440.0);
        QCOMPARE(StoredState(1).reminder, 1);
    }

    void twentyFourHoursIsExactlyOneDayAfterTheClose() {
        Start(ThreeTasks());
        main_->Reminders->Timer3Timer();
        const double closing = FixedNow() + 3.0 / 1440;
        ClickBalloon([&] {
            popup_->ComboBox1->setCurrentIndex(10);
            // The user took a while to decide.
            now_ = closing;
            ClickOk();
        });
        QCOMPARE(StoredState(1).when, closing + 1);
        QCOMPARE(Record(1).datetimeReminder, closing + 1);
        QCOMPARE(List().ShownTasks[static_cast<size_t>(ShownRow(1))].datetimeReminder, closing + 1);
    }

    void enterRightAfterOpeningPostponesFiveMinutes() {
        Start(ThreeTasks());
        main_->Reminders->Timer3Timer();
        bool closed = false;
        ClickBalloon([&] {
            QWidget* target = popup_->focusWidget() ? popup_->focusWidget() : popup_;
            QTest::keyClick(target, Qt::Key_Return);
            closed = !popup_->isVisible();
        });
        QVERIFY(closed);
        QCOMPARE(StoredState(1), (TTaskState{0, 1, FixedNow() + 5.0 / 1440}));
        QCOMPARE(StateOf(Record(1)), (TTaskState{0, 1, FixedNow() + 5.0 / 1440}));
    }

    void closePictureRightAfterOpeningPostponesFiveMinutes() {
        Start(ThreeTasks());
        main_->Reminders->Timer3Timer();
        bool closed = false;
        ClickBalloon([&] {
            QTest::mouseClick(popup_->Frame->Image_Close(), Qt::LeftButton);
            closed = !popup_->isVisible();
        });
        QVERIFY(closed);
        QCOMPARE(StoredState(1), (TTaskState{0, 1, FixedNow() + 5.0 / 1440}));
        QCOMPARE(StateOf(Record(1)), (TTaskState{0, 1, FixedNow() + 5.0 / 1440}));
    }

    void escapeLeavesThePopupOpen() {
        TForm1& main = Start(ThreeTasks());
        main.Reminders->Timer3Timer();
        bool open = false;
        bool unchanged = false;
        bool stillPaused = false;
        ClickBalloon([&] {
            QWidget* target = popup_->focusWidget() ? popup_->focusWidget() : popup_;
            QTest::keyClick(target, Qt::Key_Escape);
            QTest::keyClick(popup_, Qt::Key_Escape);
            open = popup_->isVisible();
            unchanged = StoredState(1) == (TTaskState{0, 1, PastReminder()});
            stillPaused = !main.Reminders->Timer3->isActive();
            Choose(popup_->RadioButton2);
            ClickOk();
        });
        QVERIFY(open);
        QVERIFY(unchanged);
        QVERIFY(stillPaused);
        QCOMPARE(StoredState(1), (TTaskState{0, 0, PastReminder()}));
    }

    void delayListFollowsTheChoiceAndKeepsItsPosition() {
        Start(ThreeTasks());
        main_->Reminders->Timer3Timer();
        QList<bool> enabled;
        QList<int> positions;
        const auto note = [&] {
            enabled << popup_->ComboBox1->isEnabled();
            positions << popup_->ComboBox1->currentIndex();
        };
        ClickBalloon([&] {
            note();
            popup_->ComboBox1->setCurrentIndex(4);
            Choose(popup_->RadioButton2);
            note();
            Choose(popup_->RadioButton3);
            note();
            Choose(popup_->RadioButton4);
            note();
            Choose(popup_->RadioButton1);
            note();
            ClickOk();
        });
        QCOMPARE(enabled, (QList<bool>{true, false, false, false, true}));
        QCOMPARE(positions, (QList<int>{0, 4, 4, 4, 4}));
        // " 1 hour"
        QCOMPARE(StoredState(1).when, FixedNow() + 1.0 / 24);
    }

    void everyShowingStartsWithFiveMinutes() {
        std::vector<TTaskRow> rows = ThreeTasks();
        rows[2].datetimeReminder = PastReminder();
        TForm1& main = Start(rows);
        main.Reminders->Timer3Timer();
        CloseWith(CancelReminder, 8);
        main.Reminders->Timer3Timer();
        QCOMPARE(main.Reminders->ReminderTaskId, 3);
        bool firstChoice = false;
        bool listEnabled = false;
        int position = -1;
        QString name;
        ClickBalloon([&] {
            firstChoice = popup_->RadioButton1->isChecked();
            listEnabled = popup_->ComboBox1->isEnabled();
            position = popup_->ComboBox1->currentIndex();
            name = popup_->Edit1->text();
            ClickOk();
        });
        QVERIFY(firstChoice);
        QVERIFY(listEnabled);
        QCOMPARE(position, 0);
        QCOMPARE(name, QString("milk"));
        QCOMPARE(popup_->ComboBox1->currentText(), QString("  5 minutes"));
    }

    void postponedReminderIsAnnouncedAfterItsNewTime() {
        TForm1& main = Start({ThreeTasks().front()});
        main.Reminders->Timer3Timer();
        QVERIFY(BalloonUp());
        CloseWith(Postpone, 0);
        const double moved = FixedNow() + 5.0 / 1440;
        QCOMPARE(main.Reminders->ReminderPos, 0);
        // The rest of this pass, then a whole pass, before the new time.
        main.Reminders->Timer3Timer();
        QCOMPARE(main.Reminders->ReminderPos, -1);
        now_ = moved;
        main.Reminders->Timer3Timer();
        QVERIFY(!BalloonUp());
        QCOMPARE(main.Reminders->ReminderPos, -1);
        now_ = moved + 1.0 / 86400;
        main.Reminders->Timer3Timer();
        QVERIFY(BalloonUp());
        QCOMPARE(main.Reminders->ReminderPos, 0);
    }

    void taskNoLongerLoadedChangesNothing_data() {
        QTest::addColumn<int>("choice");
        QTest::newRow("postpone") << int(Postpone);
        QTest::newRow("edit") << int(EditTask);
    }

    void taskNoLongerLoadedChangesNothing() {
        QFETCH(int, choice);
        TForm1& main = Start(ThreeTasks());
        const std::vector<TMyRec2> before = List().AllTasks;
        popup_->TaskId = 99;
        popup_->EditRequested = true;
        OnceShown(popup_, [&] {
            Choose(Choice(choice));
            ClickOk();
            EnsurePopupClosed();
        });
        popup_->exec();
        QVERIFY(!popup_->EditRequested);
        QCOMPARE(List().AllTasks.size(), before.size());
        for (size_t k = 0; k < before.size(); ++k) {
            QCOMPARE(List().AllTasks[k].id, before[k].id);
            QCOMPARE(StateOf(List().AllTasks[k]), StateOf(before[k]));
            QCOMPARE(StoredState(before[k].id), StateOf(before[k]));
        }
        QVERIFY(main.Reminders->Timer3->isActive());
        QVERIFY(ShownMessageBoxes().isEmpty());
    }

    void failingWriteClosesThePopupAndKeepsTheRecords_data() {
        QTest::addColumn<int>("choice");
        QTest::newRow("postpone") << int(Postpone);
        QTest::newRow("cancel reminder") << int(CancelReminder);
        QTest::newRow("done") << int(MarkDone);
    }

    void failingWriteClosesThePopupAndKeepsTheRecords() {
        QFETCH(int, choice);
        TForm1& main = Start(ThreeTasks());
        main.Reminders->Timer3Timer();
        const int row = ShownRow(1);
        QCOMPARE(CheckOf(row), Qt::Unchecked);
        QVERIFY(QFile::setPermissions(home_->DatabasePath(),
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QueueMessageBoxAnswer(QMessageBox::Ok);
        bool closed = false;
        ClickBalloon([&] {
            Choose(Choice(choice));
            ClickOk();
            closed = !popup_->isVisible();
        });
        QVERIFY(closed);
        QCOMPARE(ShownMessageBoxes().size(), 1);
        QVERIFY(ShownMessageBoxes().front().startsWith("Error: "));
        const TTaskState unchanged{0, 1, PastReminder()};
        QCOMPARE(StoredState(1), unchanged);
        QCOMPARE(StateOf(Record(1)), unchanged);
        QCOMPARE(StateOf(List().ShownTasks[static_cast<size_t>(row)]), unchanged);
        QCOMPARE(CheckOf(row), Qt::Unchecked);
        QVERIFY(main.Reminders->Timer3->isActive());
        QVERIFY(!main.Reminders->Timer4->isActive());
    }

    void editWritesNothingAndOpensTheEditorPreparedFromTheRecord() {
        for (const char* name : {"alarm.wav", "bell.wav"})
            WriteWave(home_->Path() + "/sound/" + name);
        Exec(home_->DatabasePath(),
             QString("INSERT INTO t_task (id, strName, intCategory, intPriority, intDue, dateDue, "
                     "intReminder, datetimeReminder, intSound, strSoundFile, intMemo) VALUES "
                     "(1, 'walk', 2, 0, 1, %1, 1, %2, 1, 'bell.wav', 1)")
                 .arg(EncodeDate(2007, 4, 2), 0, 'g', 17)
                 .arg(PastReminder(), 0, 'g', 17));
        Exec(home_->DatabasePath(),
             "INSERT INTO t_note (id, idTask, strNote) VALUES (1, 1, '  call back')");
        TForm1& main = Start({});
        main.Reminders->Timer3Timer();
        QCOMPARE(main.Reminders->ReminderTaskId, 1);
        const int row = ShownRow(1);
        QSignalSpy rowsChanged(&Rows(), &QAbstractItemModel::dataChanged);

        bool editRequested = false;
        bool writtenByPopup = true;
        bool editorShown = false;
        bool paused = false;
        TForm17& editor = *editor_;
        QStringList prepared;
        ClickBalloon([&] {
            OnceShown(&editor, [&] {
                editorShown = editor.isVisible();
                paused = !main.Reminders->Timer3->isActive() && !main.Reminders->Timer4->isActive();
                editRequested = popup_->EditRequested;
                writtenByPopup = StoredState(1) != TTaskState{0, 1, PastReminder()};
                prepared << QString::number(editor.TaskEditorMode)
                         << QString::number(editor.EditTaskId) << editor.Edit1->text()
                         << editor.Memo1->toPlainText() << editor.ComboBox1->currentText()
                         << editor.ComboBox2->currentText()
                         << QString::number(editor.CheckBox1->isChecked())
                         << editor.DateTimePicker1->date().toString(Qt::ISODate)
                         << QString::number(editor.CheckBox2->isChecked())
                         << editor.DateTimePicker3->date().toString(Qt::ISODate)
                         << editor.DateTimePicker2->time().toString("HH:mm:ss")
                         << QString::number(editor.CheckBox3->isChecked())
                         << editor.ComboBox3->currentText();
                QTest::mouseClick(editor.BitBtn2, Qt::LeftButton);
                EnsureEditorClosed();
            });
            Choose(popup_->RadioButton4);
            ClickOk();
        });
        QVERIFY(editorShown);
        QVERIFY(paused);
        QVERIFY(editRequested);
        QVERIFY(!writtenByPopup);
        QCOMPARE(prepared,
                 (QStringList{"0", "1", "walk", "  call back", "Work", "High", "1", "2007-04-02",
                              "1", "2007-03-14", "09:15:30", "1", "bell.wav"}));

        // Cancelled: nothing changed, and the reminder comes again on the next pass.
        QVERIFY(!editor.EditAccepted);
        QCOMPARE(StoredState(1), (TTaskState{0, 1, PastReminder()}));
        QCOMPARE(StateOf(Record(1)), (TTaskState{0, 1, PastReminder()}));
        QCOMPARE(Record(1).strName, std::string("walk"));
        QCOMPARE(Record(1).intCategory, 2);
        QCOMPARE(rowsChanged.size(), 0);
        QCOMPARE(row, 0);
        QVERIFY(main.Reminders->Timer3->isActive());
        QVERIFY(!main.Reminders->Timer4->isActive());
        main.Reminders->Timer3Timer();
        QVERIFY(!BalloonUp());
        main.Reminders->Timer3Timer();
        QVERIFY(BalloonUp());
        QCOMPARE(main.Reminders->ReminderTaskId, 1);
    }

    void acceptedEditKeepsTheRowInPlaceWithTheNewCategory() {
        TForm1& main = Start({{.id = 1, .name = "milk", .category = 1},
                              {.id = 2,
                               .name = "walk",
                               .category = 1,
                               .reminder = 1,
                               .datetimeReminder = PastReminder()},
                              {.id = 3, .name = "report", .category = 2},
                              {.id = 4, .name = "bread", .category = 1}});
        List().LoadTasks(1);
        QCOMPARE(Ids(List().ShownTasks), (std::vector<int>{1, 2, 4}));
        main.Reminders->Timer3Timer();
        QCOMPARE(main.Reminders->ReminderTaskId, 2);
        QCOMPARE(Record(2).intImg, 1);
        QSignalSpy rowsChanged(&Rows(), &QAbstractItemModel::dataChanged);

        ClickBalloon([&] {
            OnceShown(editor_, [&] {
                editor_->Edit1->setText("  walk the dog  ");
                editor_->ComboBox1->setCurrentIndex(editor_->ComboBox1->findText("Errands"));
                editor_->Memo1->setPlainText("  around the park");
                editor_->ComboBox2->setCurrentIndex(0);
                QTest::mouseClick(editor_->BitBtn1, Qt::LeftButton);
                EnsureEditorClosed();
            });
            Choose(popup_->RadioButton4);
            ClickOk();
        });
        QVERIFY(editor_->EditAccepted);

        const TMyRec2& edited = Record(2);
        QCOMPARE(edited.strName, std::string("walk the dog"));
        QCOMPARE(edited.intCategory, 4);
        QCOMPARE(edited.intImg, 7);
        QCOMPARE(edited.intPos, 9);
        QCOMPARE(edited.intPriority, 0);
        QCOMPARE(edited.intMemo, 1);
        QCOMPARE(edited.strNote, std::string("  around the park"));
        QCOMPARE(edited.intReminder, 1);
        QCOMPARE(edited.datetimeReminder, StoredState(2).when);
        QCOMPARE(Scalar(home_->DatabasePath(), "SELECT intCategory FROM t_task WHERE id = 2"),
                 QVariant(4));

        // The row keeps its place in the list of its old category, with the new values.
        QCOMPARE(List().LoadedCategory, 1);
        QCOMPARE(Ids(List().ShownTasks), (std::vector<int>{1, 2, 4}));
        QCOMPARE(Rows().rowCount(), 3);
        const TMyRec2& row = List().ShownTasks[1];
        QCOMPARE(row.strName, edited.strName);
        QCOMPARE(row.intCategory, 4);
        QCOMPARE(row.intImg, 7);
        QCOMPARE(row.intPos, 9);
        QCOMPARE(row.intPriority, 0);
        QCOMPARE(row.strNote, edited.strNote);
        QCOMPARE(row.datetimeReminder, edited.datetimeReminder);
        QCOMPARE(rowsChanged.size(), 1);
        QCOMPARE(rowsChanged.front().at(0).toModelIndex().row(), 1);
        QCOMPARE(List().ShownTasks[0].strName, std::string("milk"));
        QCOMPARE(Record(1).intCategory, 1);
        QVERIFY(main.Reminders->Timer3->isActive());
        QVERIFY(!main.Reminders->Timer4->isActive());
    }

    void balloonClickBringsTheMainWindowBack_data() {
        QTest::addColumn<bool>("trayAvailable");
        QTest::newRow("hidden in the tray") << true;
        QTest::newRow("minimized without a tray") << false;
    }

    void balloonClickBringsTheMainWindowBack() {
        QFETCH(bool, trayAvailable);
        TForm1& main = Start(ThreeTasks(), trayAvailable);
        main.ShowAtStartup();
        QVERIFY(!main.MainShown);
        QCOMPARE(main.isVisible(), !trayAvailable);
        main.Reminders->Timer3Timer();
        QCOMPARE(main.Reminders->ReminderTaskId, 1);
        bool shownWithPopup = false;
        ClickBalloon([&] {
            shownWithPopup = main.MainShown && main.isVisible() && !main.isMinimized();
            ClickOk();
        });
        QVERIFY(shownWithPopup);
        QVERIFY(main.MainShown);
        QVERIFY(main.isVisible());
        QVERIFY(!main.isMinimized());
    }

    void balloonWindowShowsTheReminderAtTheBottomRight() {
        std::vector<TTaskRow> rows = ThreeTasks();
        rows[2].datetimeReminder = PastReminder();
        rows[0].note = std::string(40, 'x') + " " + std::string(200, 'y') + "\nz\nz\nz";
        rows[2].note = "short";
        TForm1& main = Start(rows);
        QVERIFY(!main.Reminders->UsesTrayBalloons());
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        for (int id : {1, 3}) {
            main.Reminders->Timer3Timer();
            QVERIFY(BalloonUp());
            TBalloonWindow& balloon = *main.Reminders->Balloon;
            QList<QLabel*> texts;
            for (QLabel* label : balloon.findChildren<QLabel*>())
                if (label->pixmap().isNull())
                    texts.append(label);
            QCOMPARE(texts.size(), 2);
            QCOMPARE(texts[0]->text(), QString::fromStdString(Record(id).strName));
            QCOMPARE(texts[1]->text(), QString::fromStdString(Record(id).strNote));
            QVERIFY(texts[1]->isVisibleTo(&balloon));
            QVERIFY(balloon.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            const QRect placed = balloon.frameGeometry();
            QVERIFY(area.contains(placed));
            QVERIFY(area.right() - placed.right() <= 16);
            QVERIFY(area.bottom() - placed.bottom() <= 16);
            QVERIFY(placed.height() >= balloon.sizeHint().height());
            main.Reminders->Timer4Timer();
            QVERIFY(!BalloonUp());
        }
    }

    void balloonWindowLeftClickOpensThePopup() {
        TForm1& main = Start(ThreeTasks());
        main.Reminders->Timer3Timer();
        QVERIFY(BalloonUp());
        bool popupShown = false;
        OnceShown(popup_, [&] {
            popupShown = popup_->isVisible();
            EnsurePopupClosed();
        });
        ClickBalloonWindow(Qt::RightButton);
        QCoreApplication::processEvents();
        QVERIFY(!popupShown);
        QVERIFY(BalloonUp());

        QString name;
        OnceShown(popup_, [&] {
            popupShown = popup_->isVisible();
            name = popup_->Edit1->text();
            Choose(popup_->RadioButton3);
            ClickOk();
            EnsurePopupClosed();
        });
        ClickBalloonWindow(Qt::LeftButton);
        QVERIFY(popupShown);
        QCOMPARE(name, QString("walk"));
        QVERIFY(!BalloonUp());
        QCOMPARE(StoredState(1).done, 1);
        QCOMPARE(Record(1).intDone, 1);
        QCOMPARE(CheckOf(ShownRow(1)), Qt::Checked);
    }

    void balloonWindowCanBeClickedWhileAnotherModalWindowIsOpen() {
        TForm1& main = Start(ThreeTasks());
        QDialog options;
        bool popupShown = false;
        OnceShown(&options, [&] {
            // The options window leaves the check running: a balloon comes up over it.
            main.Reminders->Timer3Timer();
            OnceShown(popup_, [&] {
                popupShown = popup_->isVisible();
                Choose(popup_->RadioButton2);
                ClickOk();
                EnsurePopupClosed();
            });
            if (BalloonUp())
                ClickBalloonWindow(Qt::LeftButton);
            QCoreApplication::processEvents();
            options.reject();
        });
        options.exec();
        QVERIFY(popupShown);
        QCOMPARE(StoredState(1).reminder, 0);
        QCOMPARE(Record(1).intReminder, 0);
    }

    void balloonWindowOutlivesTheModalWindowItCameUpOver() {
        TForm1& main = Start(ThreeTasks());
        auto box = std::make_unique<QDialog>();
        OnceShown(box.get(), [&] {
            main.Reminders->Timer3Timer();
            box->accept();
        });
        box->exec();
        box.reset();
        QVERIFY(BalloonUp());
        bool popupShown = false;
        OnceShown(popup_, [&] {
            popupShown = popup_->isVisible();
            ClickOk();
            EnsurePopupClosed();
        });
        ClickBalloonWindow(Qt::LeftButton);
        QVERIFY(popupShown);
        QCOMPARE(StoredState(1).when, FixedNow() + 5.0 / 1440);
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestReminderPopup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ReminderPopup.moc"
