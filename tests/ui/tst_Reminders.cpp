// SPDX-License-Identifier: GPL-3.0-or-later

// The reminder check of the main window: when a scan announces a task, which task, what the
// balloon shows, and how the two timers and the pause behave.

#include "app/Application.h"
#include "reminders/Unit3.h"
#include "tasklist/TaskListModel.h"
#include "tasklist/Unit2.h"
#include "tests/ui/ReminderRig.h"
#include "tests/ui/TaskEditorRig.h"
#include "uikit/BalloonWindow.h"
#include "uikit/Sound.h"

#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"

#include <QDataStream>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QSoundEffect>
#include <QTreeView>

#include <algorithm>

namespace {

// An hour before the fixed clock: due at every scan of these tests.
double PastReminder() {
    return FixedNow() - 1.0 / 24;
}

TTaskRow DueTask(int id, const std::string& name, int category = 1) {
    return {.id = id,
            .name = name,
            .category = category,
            .reminder = 1,
            .datetimeReminder = PastReminder()};
}

} // namespace

class TestReminders : public TReminderTestBase {
    Q_OBJECT

    const std::vector<TMyRec2>& All() { return main_->Form2->AllTasks; }
    TTaskListModel& Rows() { return *qobject_cast<TTaskListModel*>(VDT(*main_->Form2)->model()); }

    // The balloon window's title and text labels (the remaining label holds the icon).
    QLabel* BalloonLabel(int index) const {
        QList<QLabel*> texts;
        for (QLabel* label : main_->Reminders->Balloon->findChildren<QLabel*>())
            if (label->pixmap().isNull())
                texts.append(label);
        return texts.value(index);
    }
    QString BalloonTitle() const { return BalloonLabel(0)->text(); }
    QString BalloonText() const { return BalloonLabel(1)->text(); }
    bool BalloonTextShown() const {
        return BalloonLabel(1)->isVisibleTo(main_->Reminders->Balloon);
    }

    // One full announcement: the scan shows the balloon, Timer4 takes it down.
    void Announce(int id, const QString& name) {
        main_->Reminders->Timer3Timer();
        QVERIFY(BalloonUp());
        QCOMPARE(BalloonTitle(), name);
        QCOMPARE(main_->Reminders->ReminderTaskId, id);
        QVERIFY(!main_->Reminders->Timer3->isActive());
        QVERIFY(main_->Reminders->Timer4->isActive());
        main_->Reminders->Timer4Timer();
        QVERIFY(!BalloonUp());
        QVERIFY(main_->Reminders->Timer3->isActive());
        QVERIFY(!main_->Reminders->Timer4->isActive());
    }

    // A scan that announces nothing and starts the next pass.
    void ScanWithoutBalloon() {
        const int32_t lastId = main_->Reminders->ReminderTaskId;
        main_->Reminders->Timer3Timer();
        QVERIFY(!BalloonUp());
        QCOMPARE(main_->Reminders->ReminderPos, -1);
        QCOMPARE(main_->Reminders->ReminderTaskId, lastId);
        QVERIFY(main_->Reminders->Timer3->isActive());
        QVERIFY(!main_->Reminders->Timer4->isActive());
    }

private slots:
    void init() { SetUpRig(FixedNow()); }

    void cleanup() {
        VerifyCleanEnd();
        TearDownRig();
    }

    void checkStartsOnceTheTaskListIsLoaded() {
        TForm1& main = Start({DueTask(1, "one")});
        QCOMPARE(Ids(All()), std::vector<int>{1});
        QVERIFY(main.Reminders->Timer3->isActive());
        QCOMPARE(main.Reminders->Timer3->interval(), 10000);
        QVERIFY(!main.Reminders->Timer3->isSingleShot());
        QVERIFY(!main.Reminders->Timer4->isActive());
        QCOMPARE(main.Reminders->Timer4->interval(), 10000);
        QCOMPARE(main.Reminders->ReminderPos, -1);
        QVERIFY(!main.Reminders->Balloon);
    }

    void checkNeverStartsWhenTheTasksCannotBeLoaded() {
        Exec(home_->DatabasePath(), "DROP TABLE t_task");
        QueueMessageBoxAnswer(QMessageBox::Ok);
        TForm1& main = Start({});
        QCOMPARE(ShownMessageBoxes().size(), 1);
        QVERIFY(ShownMessageBoxes().front().startsWith("Error: "));
        QVERIFY(!main.Reminders->Timer3->isActive());
        QVERIFY(!main.Reminders->Timer4->isActive());
    }

    void reminderAtTheCurrentTimeIsDueOnlyAMomentLater() {
        const double when = FixedNow() + 7.0 / 1440;
        TForm1& main = Start({{.id = 1, .name = "call", .reminder = 1, .datetimeReminder = when}});
        now_ = when - 1.0 / 86400000;
        ScanWithoutBalloon();
        now_ = when;
        ScanWithoutBalloon();
        now_ = when + 1.0 / 86400000;
        main.Reminders->Timer3Timer();
        QVERIFY(BalloonUp());
        QCOMPARE(BalloonTitle(), QString("call"));
        QCOMPARE(main.Reminders->ReminderPos, 0);
        QCOMPARE(main.Reminders->ReminderTaskId, 1);
    }

    void doneTasksAndRemindersNotOnAreNeverAnnounced() {
        Start({{.id = 1,
                .name = "done",
                .done = 1,
                .reminder = 1,
                .datetimeReminder = PastReminder()},
               {.id = 2, .name = "off", .datetimeReminder = PastReminder()},
               {.id = 3, .name = "two", .reminder = 2, .datetimeReminder = PastReminder()},
               {.id = 4, .name = "later", .reminder = 1, .datetimeReminder = FixedNow() + 1}});
        for (int scan = 0; scan < 3; ++scan)
            ScanWithoutBalloon();
        QVERIFY(!main_->Reminders->Balloon);
    }

    void aBalloonHoldsAtMost63CharactersOfNameAnd255OfNote() {
        TTaskRow task = DueTask(1, std::string(200, 'n') + "\xF0\x9F\x98\x80");
        task.note = std::string(1 << 20, 'x');
        TForm1& main = Start({task});
        main.Reminders->Timer3Timer();
        QVERIFY(BalloonUp());
        QCOMPARE(BalloonTitle(), QString(63, 'n'));
        QCOMPARE(BalloonText(), QString(255, 'x'));
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(
            main.Reminders->Balloon->frameGeometry()));
    }

    void aCharacterOfTwoUnitsIsNeverCut() {
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        QCOMPARE(BalloonPart(QString(62, 'a') + emoji, 63), QString(62, 'a'));
        QCOMPARE(BalloonPart(QString(61, 'a') + emoji, 63), QString(61, 'a') + emoji);
        QCOMPARE(BalloonPart("short", 63), QString("short"));
    }

    void balloonShowsNameAndNote_data() {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("textShown");
        QTest::newRow("no note") << QString() << QString() << false;
        QTest::newRow("spaces only") << QString("    ") << QString() << false;
        QTest::newRow("line breaks and tabs") << QString("\r\n\t \n") << QString() << false;
        QTest::newRow("leading spaces kept")
            << QString("   buy milk\nand bread") << QString("   buy milk\nand bread") << true;
        QTest::newRow("other scripts")
            << QString("买牛奶 — ميلك") << QString("买牛奶 — ميلك") << true;
    }

    void balloonShowsNameAndNote() {
        QFETCH(QString, note);
        QFETCH(QString, text);
        QFETCH(bool, textShown);
        TTaskRow task = DueTask(1, "shopping");
        if (!note.isNull())
            task.note = note.toStdString();
        TForm1& main = Start({task});
        main.Reminders->Timer3Timer();
        QVERIFY(BalloonUp());
        QCOMPARE(BalloonTitle(), QString("shopping"));
        QCOMPARE(BalloonText(), text);
        QCOMPARE(BalloonTextShown(), textShown);
    }

    void dueTasksAreAnnouncedOneAtATimeInIdOrder() {
        TForm1& main = Start({DueTask(1, "c"),
                              {.id = 2, .name = "z", .reminder = 1, .datetimeReminder = now_ + 1},
                              DueTask(3, "b"),
                              DueTask(4, "a")});
        // Sorted by name the list shows a, b, c, z; the scan keeps to the order of ids.
        main.Form2->VDTHeaderClick(0);
        QCOMPARE(Ids(main.Form2->ShownTasks), (std::vector<int>{4, 3, 1, 2}));

        Announce(1, "c");
        QCOMPARE(main.Reminders->ReminderPos, 0);
        Announce(3, "b");
        QCOMPARE(main.Reminders->ReminderPos, 2);
        Announce(4, "a");
        QCOMPARE(main.Reminders->ReminderPos, 3);
        ScanWithoutBalloon();
        Announce(1, "c");
    }

    void emptyListEndsEveryScanAtOnce() {
        TForm1& main = Start({});
        for (int scan = 0; scan < 3; ++scan) {
            main.Reminders->Timer3Timer();
            QCOMPARE(main.Reminders->ReminderPos, -1);
            QVERIFY(main.Reminders->Timer3->isActive());
            QVERIFY(!main.Reminders->Timer4->isActive());
        }
        QVERIFY(!main.Reminders->Balloon);
    }

    void positionPastTheEndEndsThePass() {
        TForm1& main = Start({DueTask(1, "one"), DueTask(2, "two")});
        main.Reminders->ReminderPos = 7;
        ScanWithoutBalloon();
        main.Reminders->ReminderPos = 1;
        ScanWithoutBalloon();
        Announce(1, "one");
    }

    void pauseStopsBothTimersAndResumeGoesOnAfterTheLastTask() {
        TForm1& main = Start({DueTask(1, "one"), DueTask(2, "two"), DueTask(3, "three")});
        main.Reminders->Timer3Timer();
        QVERIFY(BalloonUp());

        main.PauseReminderCheck();
        QVERIFY(!main.Reminders->Timer3->isActive());
        QVERIFY(!main.Reminders->Timer4->isActive());
        QVERIFY(!BalloonUp());
        QCOMPARE(main.Reminders->ReminderPos, 0);
        QCOMPARE(main.Reminders->ReminderTaskId, 1);

        main.ResumeReminderCheck();
        QVERIFY(main.Reminders->Timer3->isActive());
        QVERIFY(!main.Reminders->Timer4->isActive());
        QVERIFY(!BalloonUp());
        Announce(2, "two");
    }

    void editorFromTheListPausesTheCheck() {
        TForm1& main = Start({DueTask(1, "one"), DueTask(2, "two")});
        main.Reminders->Timer3Timer();
        QVERIFY(BalloonUp());
        bool timersOff = false;
        bool balloonHidden = false;
        QTimer::singleShot(0, editor_, [&] {
            timersOff = !main.Reminders->Timer3->isActive() && !main.Reminders->Timer4->isActive();
            balloonHidden = !BalloonUp();
            QTest::mouseClick(BitBtn2(*editor_), Qt::LeftButton);
            if (editor_->isVisible())
                editor_->reject();
        });
        main.Form2->BitBtn2Click();
        QVERIFY(timersOff);
        QVERIFY(balloonHidden);
        QVERIFY(main.Reminders->Timer3->isActive());
        QVERIFY(!main.Reminders->Timer4->isActive());
        Announce(2, "two");
    }

    void clickOnTheBalloonOfADeletedTaskDoesNothing() {
        TForm1& main = Start({DueTask(1, "gone"), DueTask(2, "stays")});
        main.Reminders->Timer3Timer();
        QCOMPARE(main.Reminders->ReminderTaskId, 1);
        const int row = static_cast<int>(
            std::find_if(main.Form2->ShownTasks.begin(), main.Form2->ShownTasks.end(),
                         [](const TMyRec2& task) { return task.id == 1; }) -
            main.Form2->ShownTasks.begin());
        VDT(*main.Form2)->setCurrentIndex(Rows().index(row, 0));
        QueueMessageBoxAnswer(QMessageBox::Yes);
        main.Form2->BitBtn3Click();
        QCOMPARE(Ids(All()), std::vector<int>{2});

        bool popupShown = false;
        bool editorShown = false;
        QTimer::singleShot(0, popup_, [&] {
            popupShown = popup_->isVisible();
            if (popupShown) {
                RadioButton4(*popup_)->setChecked(true);
                popup_->close();
            }
        });
        QTimer::singleShot(0, editor_, [&] {
            editorShown = editor_->isVisible();
            if (editorShown)
                editor_->reject();
        });
        QTest::mouseClick(main.Reminders->Balloon, Qt::LeftButton);
        QCoreApplication::processEvents();

        QVERIFY(!popupShown);
        QVERIFY(!editorShown);
        QVERIFY(!BalloonUp());
        QVERIFY(!main.MainShown);
        QCOMPARE(Ids(All()), std::vector<int>{2});
        QCOMPARE(Ids(main.Form2->ShownTasks), std::vector<int>{2});
        QCOMPARE(All()[0].intReminder, 1);
        QCOMPARE(All()[0].datetimeReminder, PastReminder());
        QCOMPARE(Scalar(home_->DatabasePath(), "SELECT COUNT(*) FROM t_task").toInt(), 1);
        QCOMPARE(Scalar(home_->DatabasePath(), "SELECT intReminder FROM t_task WHERE id = 2"),
                 QVariant(1));
        // The pass goes on: Timer4 still runs its course, and the next pass finds task 2.
        QVERIFY(main.Reminders->Timer4->isActive());
        main.Reminders->Timer4Timer();
        ScanWithoutBalloon();
        Announce(2, "stays");
    }

    void soundOfTheTaskPlaysFromTheSoundFolder() {
        WriteWave(home_->Path() + "/sound/bell.wav");
        Exec(home_->DatabasePath(), "INSERT INTO t_task (id, strName, intReminder, "
                                    "datetimeReminder, intSound, strSoundFile) VALUES "
                                    "(1, 'quiet', 1, 0, 0, 'bell.wav'), "
                                    "(2, 'not one', 1, 0, 2, 'bell.wav'), "
                                    "(3, 'ring', 1, 0, 1, 'bell.wav')");
        TForm1& main = Start({});
        SoundPlayer().setSource(QUrl());

        main.Reminders->Timer3Timer();
        QCOMPARE(main.Reminders->ReminderTaskId, 1);
        QCOMPARE(SoundPlayer().source(), QUrl());
        main.Reminders->Timer4Timer();
        main.Reminders->Timer3Timer();
        QCOMPARE(main.Reminders->ReminderTaskId, 2);
        QCOMPARE(SoundPlayer().source(), QUrl());
        main.Reminders->Timer4Timer();
        main.Reminders->Timer3Timer();
        QCOMPARE(main.Reminders->ReminderTaskId, 3);
        QCOMPARE(SoundPlayer().source(), QUrl::fromLocalFile(home_->Path() + "/sound/bell.wav"));
        SoundPlayer().stop();
        SoundPlayer().setSource(QUrl());
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestReminders test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Reminders.moc"
