// SPDX-License-Identifier: GPL-3.0-or-later

// Reminders as the desktop's notifications, as the reminder check uses them: what it announces,
// when it takes a notification down, what a notification's click and buttons change, and the
// balloons that stand in when no server answers. The server here is a stand-in that records
// what it is asked; the real one is tried in tests/notify.

#include "reminders/DesktopNotifications.h"
#include "store/funUnit.h"
#include "tasklist/TaskListModel.h"
#include "tests/ui/ReminderRig.h"
#include "tests/ui/TaskEditorRig.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"

#include <QApplication>
#include <QSignalSpy>

namespace {

// A notification server that answers at once and remembers what it shows.
class TRecordingNotifications : public TDesktopNotifications {
public:
    struct TNotice {
        int32_t taskId;
        QString summary;
        QString text;
    };

    bool answers = true;
    std::vector<TNotice> notified;
    std::vector<int32_t> closed;

    bool Answers() const override { return answers; }
    bool ShowsActions() const override { return true; }
    void Notify(int32_t taskId, const QString& summary, const QString& text) override {
        notified.push_back({taskId, summary, text});
        if (!shown_.contains(taskId))
            shown_.append(taskId);
    }
    void Close(int32_t taskId) override {
        closed.push_back(taskId);
        shown_.removeAll(taskId);
    }
    QList<int32_t> Shown() const override { return shown_; }

    std::vector<int32_t> NotifiedIds() const {
        std::vector<int32_t> ids;
        for (const TNotice& notice : notified)
            ids.push_back(notice.taskId);
        return ids;
    }

private:
    QList<int32_t> shown_;
};

} // namespace

class TestDesktopNotifications : public TReminderTestBase {
    Q_OBJECT

    TRecordingNotifications* server_ = nullptr;

    // The program with the stand-in server.
    TForm1& StartWithServer(const std::vector<TTaskRow>& rows) {
        TForm1& main = Start(rows);
        server_ = new TRecordingNotifications;
        main.Reminders->UseDesktopNotifications(server_);
        return main;
    }
    TReminderCheck& Check() { return *main_->Reminders; }
    TTaskListModel& Rows() { return *qobject_cast<TTaskListModel*>(VDT(*main_->Form2)->model()); }
    int RowOf(int id) const { return FindTask(main_->Form2->ShownTasks, id); }
    const TMyRec2& Record(int id) const {
        return main_->Form2->AllTasks[static_cast<size_t>(FindTask(main_->Form2->AllTasks, id))];
    }
    QVariant Stored(int id, const char* column) const {
        return Scalar(home_->DatabasePath(),
                      QString("SELECT %1 FROM t_task WHERE id = %2").arg(column).arg(id));
    }
    // A scan that announces, and Timer4's tick 10 s later.
    void AnnounceAndWait() {
        Check().Timer3Timer();
        QVERIFY(Check().Timer4->isActive());
        Check().Timer4Timer();
    }

private slots:
    void init() { SetUpRig(FixedNow()); }

    void cleanup() {
        server_ = nullptr;
        VerifyCleanEnd();
        TearDownRig();
    }

    void dueReminderIsANotificationThatOutlivesTimer4() {
        const std::string longNote(300, 'x');
        const std::string longName(80, 'n');
        TForm1& main = StartWithServer({DueRow(1, "Call the plumber", "Bring <tools> & tape"),
                                        DueRow(2, longName, longNote), DueRow(3, "blank", " ")});
        QVERIFY(main.Reminders->UsesDesktopNotifications());

        main.Reminders->Timer3Timer();
        QCOMPARE(server_->notified.size(), size_t(1));
        QCOMPARE(server_->notified[0].taskId, 1);
        QCOMPARE(server_->notified[0].summary, QString("Call the plumber"));
        // Plain text: the client escapes for servers that read markup.
        QCOMPARE(server_->notified[0].text, QString("Bring <tools> & tape"));
        QVERIFY(!main.Reminders->Balloon);
        QCOMPARE(main.Reminders->ReminderPos, 0);
        QCOMPARE(main.Reminders->ReminderTaskId, 1);
        QVERIFY(!main.Reminders->Timer3->isActive());
        QVERIFY(main.Reminders->Timer4->isActive());

        main.Reminders->Timer4Timer();
        QVERIFY(server_->closed.empty());
        QVERIFY(main.Reminders->Timer3->isActive());
        QVERIFY(!main.Reminders->Timer4->isActive());

        AnnounceAndWait();
        AnnounceAndWait();
        // The name whole, the note as the balloon holds it, a blank note as the balloon has it.
        QCOMPARE(server_->notified[1].summary, QString::fromStdString(longName));
        QCOMPARE(server_->notified[1].text, QString(255, 'x'));
        QCOMPARE(server_->notified[2].text, QString("\r"));
        QCOMPARE(server_->Shown(), (QList<int32_t>{1, 2, 3}));
        QVERIFY(server_->closed.empty());
        QVERIFY(VisibleWindows().isEmpty());
    }

    void anUnhandledReminderIsAnnouncedAgainOnTheNextPass() {
        TForm1& main = StartWithServer({DueRow(1, "one"), DueRow(2, "two")});
        AnnounceAndWait();
        AnnounceAndWait();
        main.Reminders->Timer3Timer();
        QCOMPARE(main.Reminders->ReminderPos, -1);
        AnnounceAndWait();
        QCOMPARE(server_->NotifiedIds(), (std::vector<int32_t>{1, 2, 1}));
        QVERIFY(server_->closed.empty());
    }

    void snoozeMovesTheReminderWithoutAWindow() {
        TForm1& main = StartWithServer({DueRow(1, "one"), DueRow(2, "two")});
        AnnounceAndWait();
        AnnounceAndWait();
        QSignalSpy rowsChanged(&Rows(), &QAbstractItemModel::dataChanged);

        emit server_->SnoozeChosen(1);
        const double when = FixedNow() + 5.0 / 1440;
        QCOMPARE(Stored(1, "datetimeReminder").toDouble(), when);
        QCOMPARE(Stored(1, "intReminder").toInt(), 1);
        QCOMPARE(Record(1).datetimeReminder, when);
        QCOMPARE(main.Form2->ShownTasks[static_cast<size_t>(RowOf(1))].datetimeReminder, when);
        QCOMPARE(rowsChanged.size(), 1);
        QCOMPARE(rowsChanged[0][0].toModelIndex().row(), RowOf(1));
        QCOMPARE(server_->closed, std::vector<int32_t>{1});
        QCOMPARE(server_->Shown(), QList<int32_t>{2});
        QVERIFY(VisibleWindows().isEmpty());
        QVERIFY(!main.MainShown);
        // The check goes its way: the reminder state is the announcements'.
        QCOMPARE(main.Reminders->ReminderTaskId, 2);
        QVERIFY(main.Reminders->Timer3->isActive());

        // Due again once the 5 minutes are past.
        main.Reminders->Timer3Timer();
        QCOMPARE(main.Reminders->ReminderPos, -1);
        now_ = when + 1.0 / 86400;
        main.Reminders->Timer3Timer();
        QCOMPARE(server_->NotifiedIds(), (std::vector<int32_t>{1, 2, 1}));
    }

    void doneMarksTheTaskDoneInTheFileAndTheList() {
        TForm1& main = StartWithServer({DueRow(1, "one")});
        AnnounceAndWait();
        emit server_->DoneChosen(1);
        QCOMPARE(Stored(1, "intDone").toInt(), 1);
        QCOMPARE(Stored(1, "intReminder").toInt(), 1);
        QCOMPARE(Record(1).intDone, 1);
        QCOMPARE(Rows().index(RowOf(1), 0).data(Qt::CheckStateRole).value<Qt::CheckState>(),
                 Qt::Checked);
        QCOMPARE(server_->closed, std::vector<int32_t>{1});
        QVERIFY(VisibleWindows().isEmpty());
        main.Reminders->Timer3Timer();
        QCOMPARE(server_->notified.size(), size_t(1));
    }

    void answerForATaskDeletedMeanwhileChangesNothing() {
        TForm1& main = StartWithServer({DueRow(1, "one"), DueRow(2, "two")});
        AnnounceAndWait();
        // Gone from the file behind the program's back, still in the list.
        Exec(home_->DatabasePath(), "DELETE FROM t_task WHERE id = 1");
        QueueMessageBoxAnswer(QMessageBox::Ok);
        emit server_->DoneChosen(1);
        QCOMPARE(ShownMessageBoxes(),
                 QStringList{"Error: Error, the task is no longer in the database!"});
        // The list was read again: the task is gone, and so is its notification.
        QCOMPARE(Ids(main.Form2->AllTasks), std::vector<int>{2});
        QCOMPARE(server_->closed, std::vector<int32_t>{1});
        QCOMPARE(Stored(2, "intDone").toInt(), 0);
    }

    void clickOpensThePopupOfItsOwnTask() {
        TForm1& main = StartWithServer({DueRow(1, "one", "first note"), DueRow(2, "two")});
        AnnounceAndWait();
        AnnounceAndWait();
        QString name;
        QString note;
        QTimer::singleShot(0, popup_, [&] {
            name = Edit1(*popup_)->text();
            note = Memo1(*popup_)->toPlainText();
            RadioButton3(*popup_)->setChecked(true);
            QTest::mouseClick(BitBtn1(*popup_), Qt::LeftButton);
        });
        // The server's activation token brings the popup forward, and goes no further.
        emit server_->Clicked(1, "token of the click");
        QVERIFY(qEnvironmentVariableIsEmpty("XDG_ACTIVATION_TOKEN"));
        QCOMPARE(name, QString("one"));
        QCOMPARE(note, QString("first note"));
        QVERIFY(main.MainShown);
        QCOMPARE(Stored(1, "intDone").toInt(), 1);
        QCOMPARE(Stored(2, "intDone").toInt(), 0);
        QCOMPARE(server_->closed, std::vector<int32_t>{1});
        QCOMPARE(main.Reminders->ReminderTaskId, 2);
    }

    void clickWhileThePopupIsOpenOpensNothingMore() {
        TForm1& main = StartWithServer({DueRow(1, "one"), DueRow(2, "two")});
        AnnounceAndWait();
        AnnounceAndWait();
        QTest::failOnWarning(QRegularExpression("Recursive call"));
        QString nameAfter;
        QTimer::singleShot(0, popup_, [&] {
            emit server_->Clicked(2, QString());
            nameAfter = Edit1(*popup_)->text();
            QTest::mouseClick(BitBtn1(*popup_), Qt::LeftButton);
        });
        emit server_->Clicked(1, QString());
        QCOMPARE(nameAfter, QString("one"));
        QVERIFY(!popup_->isVisible());
        // The popup postponed its own task only; the other keeps its notification.
        QCOMPARE(Stored(1, "datetimeReminder").toDouble(), FixedNow() + 5.0 / 1440);
        QCOMPARE(Stored(2, "datetimeReminder").toDouble(), HourAgo());
        QCOMPARE(server_->Shown(), QList<int32_t>{2});
        QVERIFY(main.Reminders->Timer3->isActive());
    }

    void aTaskHandledElsewhereLosesItsNotificationAtTheNextScan() {
        TForm1& main = StartWithServer(
            {DueRow(1, "done in the list"), DueRow(2, "deleted"), DueRow(3, "stays")});
        AnnounceAndWait();
        AnnounceAndWait();
        AnnounceAndWait();
        QVERIFY(Rows().setData(Rows().index(RowOf(1), 0), Qt::Checked, Qt::CheckStateRole));
        VDT(*main.Form2)->setCurrentIndex(Rows().index(RowOf(2), 0));
        QueueMessageBoxAnswer(QMessageBox::Yes);
        main.Form2->BitBtn3Click();
        QVERIFY(server_->closed.empty());

        main.Reminders->Timer3Timer();
        QCOMPARE(server_->closed, (std::vector<int32_t>{1, 2}));
        QCOMPARE(server_->Shown(), QList<int32_t>{3});
    }

    void balloonStandsInWhileNoServerAnswers() {
        TForm1& main = StartWithServer({DueRow(1, "one"), DueRow(2, "two")});
        server_->answers = false;
        QVERIFY(!main.Reminders->UsesDesktopNotifications());
        main.Reminders->Timer3Timer();
        QVERIFY(server_->notified.empty());
        QVERIFY(BalloonUp());
        main.Reminders->Timer4Timer();
        QVERIFY(!BalloonUp());

        server_->answers = true;
        main.Reminders->Timer3Timer();
        QVERIFY(!BalloonUp());
        QCOMPARE(server_->NotifiedIds(), std::vector<int32_t>{2});
    }

    void refusedNotificationFallsBackOnTheBalloon() {
        TForm1& main = StartWithServer({DueRow(1, "one"), DueRow(2, "two")});
        main.Reminders->Timer3Timer();
        emit server_->Failed(1);
        QVERIFY(BalloonUp());
        main.Reminders->Timer4Timer();
        QVERIFY(!BalloonUp());
        // An answer that comes once the announcement is over shows nothing.
        emit server_->Failed(1);
        QVERIFY(!BalloonUp());
        main.Reminders->Timer3Timer();
        emit server_->Failed(1);
        QVERIFY(!BalloonUp());
    }

    void markupIsEscapedForServersThatReadIt() {
        QCOMPARE(EscapeMarkup("a <b>&amp;</b> \"c\" 'd' > e"),
                 QString("a &lt;b&gt;&amp;amp;&lt;/b&gt; \"c\" 'd' &gt; e"));
        QCOMPARE(EscapeMarkup(QString::fromUtf8("plain \xF0\x9F\x94\xA7 text\r")),
                 QString::fromUtf8("plain \xF0\x9F\x94\xA7 text\r"));
    }
};

QTEST_MAIN(TestDesktopNotifications)
#include "tst_DesktopNotifications.moc"
