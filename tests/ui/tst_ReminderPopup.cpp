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
#include "tests/ui/WindowControls.h"

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
    TTaskListModel& Rows() { return *qobject_cast<TTaskListModel*>(VDT(List())->model()); }
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
    void ClickOk() { QTest::mouseClick(BitBtn1(*popup_), Qt::LeftButton); }
    // Clicks the balloon window where the user would: through the window system, so that a
    // modal window gets its say.
    void ClickBalloonWindow(Qt::MouseButton button) {
        QTest::mouseClick(main_->Reminders->Balloon->windowHandle(), button, {}, QPoint(20, 20));
    }
    QRadioButton* Choice(int choice) {
        const std::array<QRadioButton*, 4> choices{RadioButton1(*popup_), RadioButton2(*popup_),
                                                   RadioButton3(*popup_), RadioButton4(*popup_)};
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
            ComboBox1(*popup_)->setCurrentIndex(delay);
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
        QVERIFY(Edit1(popup)->isReadOnly());
        QVERIFY(Memo1(popup)->isReadOnly());
        QCOMPARE(Memo1(popup)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(GroupBox1(popup)->title(), QString(" Operation "));
        QCOMPARE(RadioButton1(popup)->text(), QString("Reminder again after  "));
        QCOMPARE(RadioButton2(popup)->text(),
                 QString("Cancel the task's reminder, don't remind again."));
        QCOMPARE(RadioButton3(popup)->text(),
                 QString("The task had been done, not need to remind."));
        QCOMPARE(RadioButton4(popup)->text(), QString("Edit the task."));
        QVERIFY(!ComboBox1(popup)->isEditable());
        QCOMPARE(BitBtn1(popup)->text(), QString("OK"));
        QVERIFY(BitBtn1(popup)->isDefault());
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
            name = Edit1(popup)->text();
            note = Memo1(popup)->toPlainText();
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
        QCOMPARE(ComboBox1(*popup_)->count(), 11);
        QCOMPARE(ComboBox1(*popup_)->itemText(position), text);
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
            ComboBox1(*popup_)->setCurrentIndex(10);
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
            Choose(RadioButton2(*popup_));
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
            enabled << ComboBox1(*popup_)->isEnabled();
            positions << ComboBox1(*popup_)->currentIndex();
        };
        ClickBalloon([&] {
            note();
            ComboBox1(*popup_)->setCurrentIndex(4);
            Choose(RadioButton2(*popup_));
            note();
            Choose(RadioButton3(*popup_));
            note();
            Choose(RadioButton4(*popup_));
            note();
            Choose(RadioButton1(*popup_));
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
            firstChoice = RadioButton1(*popup_)->isChecked();
            listEnabled = ComboBox1(*popup_)->isEnabled();
            position = ComboBox1(*popup_)->currentIndex();
            name = Edit1(*popup_)->text();
            ClickOk();
        });
        QVERIFY(firstChoice);
        QVERIFY(listEnabled);
        QCOMPARE(position, 0);
        QCOMPARE(name, QString("milk"));
        QCOMPARE(ComboBox1(*popup_)->currentText(), QString("  5 minutes"));
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
                         << QString::number(editor.EditTaskId) << Edit1(editor)->text()
                         << Memo1(editor)->toPlainText() << ComboBox1(editor)->currentText()
                         << ComboBox2(editor)->currentText()
                         << QString::number(CheckBox1(editor)->isChecked())
                         << DateTimePicker1(editor)->date().toString(Qt::ISODate)
                         << QString::number(CheckBox2(editor)->isChecked())
                         << DateTimePicker3(editor)->date().toString(Qt::ISODate)
                         << DateTimePicker2(editor)->time().toString("HH:mm:ss")
                         << QString::number(CheckBox3(editor)->isChecked())
                         << ComboBox3(editor)->currentText();
                QTest::mouseClick(BitBtn2(editor), Qt::LeftButton);
                EnsureEditorClosed();
            });
            Choose(RadioButton4(*popup_));
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
                Edit1(*editor_)->setText("  walk the dog  ");
                ComboBox1(*editor_)->setCurrentIndex(ComboBox1(*editor_)->findText("Errands"));
                Memo1(*editor_)->setPlainText("  around the park");
                ComboBox2(*editor_)->setCurrentIndex(0);
                QTest::mouseClick(BitBtn1(*editor_), Qt::LeftButton);
                EnsureEditorClosed();
            });
            Choose(RadioButton4(*popup_));
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
            name = Edit1(*popup_)->text();
            Choose(RadioButton3(*popup_));
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
                Choose(RadioButton2(*popup_));
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
