// SPDX-License-Identifier: GPL-3.0-or-later

// Reminders on a real notification server: the program's windows made inside a desktop session
// of their own (desktop_session.sh --dunst), with dunst answering on its bus. What the server
// shows is read with dunstctl; its context menu hands the actions to pick_action.sh, which
// picks the one the test names.

#include "reminders/DesktopNotifications.h"
#include "store/funUnit.h"
#include "store/settings/ProgramInfo.h"
#include "tasklist/TaskListModel.h"
#include "tests/ui/ReminderRig.h"
#include "tests/ui/TaskEditorRig.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

QString TestFile(const QString& name) {
    return qEnvironmentVariable("NOTIFY_TEST_DIR") + "/" + name;
}

QString Dunstctl(const QStringList& arguments) {
    QProcess dunstctl;
    dunstctl.start("dunstctl", arguments);
    if (!dunstctl.waitForFinished(10000) || dunstctl.exitCode() != 0)
        qWarning() << "dunstctl" << arguments << "failed:" << dunstctl.readAllStandardError();
    return QString::fromUtf8(dunstctl.readAllStandardOutput()).trimmed();
}

int Displayed() {
    return Dunstctl({"count", "displayed"}).toInt();
}

// The closed notifications, newest first, each field as text.
QList<QVariantMap> History() {
    const QJsonDocument history = QJsonDocument::fromJson(Dunstctl({"history"}).toUtf8());
    QList<QVariantMap> notifications;
    for (const QJsonValue entry : history["data"].toArray().at(0).toArray()) {
        QVariantMap fields;
        const QJsonObject object = entry.toObject();
        for (auto field = object.begin(); field != object.end(); ++field)
            fields[field.key()] = field.value().toObject()["data"].toVariant();
        notifications.append(fields);
    }
    return notifications;
}

// The highest id of the closed notifications, 0 for none.
qlonglong LastHistoryId() {
    qlonglong last = 0;
    for (const QVariantMap& shown : History())
        last = std::max(last, shown["id"].toLongLong());
    return last;
}

// Opens the server's context menu, in which pick_action.sh picks the line holding `pick`
// (nothing for an empty one); returns the menu's lines.
QStringList ContextMenu(const QString& pick) {
    QFile::remove(TestFile("menu"));
    QFile pickFile(TestFile("pick"));
    if (!pickFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(pickFile.fileName()));
    pickFile.write(pick.toUtf8());
    pickFile.close();
    Dunstctl({"context"});
    QFile menu(TestFile("menu"));
    for (int wait = 0; wait < 100 && !menu.exists(); ++wait)
        QTest::qWait(50);
    if (!menu.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(menu.readAll()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class TestNotificationServer : public TReminderTestBase {
    Q_OBJECT

    TTaskListModel& Rows() { return *qobject_cast<TTaskListModel*>(VDT(*main_->Form2)->model()); }
    int RowOf(int id) const { return FindTask(main_->Form2->ShownTasks, id); }
    QVariant Stored(int id, const char* column) const {
        return Scalar(home_->DatabasePath(),
                      QString("SELECT %1 FROM t_task WHERE id = %2").arg(column).arg(id));
    }
    // The program, once the server has told what it shows.
    void StartOnTheDesktop(const std::vector<TTaskRow>& rows) {
        Start(rows, false, true);
        QTRY_VERIFY_WITH_TIMEOUT(main_->Reminders->UsesDesktopNotifications(), 10000);
    }
    // A scan that announces the task, once the server shows it, and Timer4's tick.
    void Announce(int id, int displayed) {
        main_->Reminders->Timer3Timer();
        QCOMPARE(main_->Reminders->ReminderTaskId, id);
        QTRY_COMPARE(Displayed(), displayed);
        main_->Reminders->Timer4Timer();
    }

    // Runs the action on the reminder popup once a notification's click has opened it.
    void WhenPopupOpens(const std::function<void()>& action) {
        auto* poll = new QTimer(popup_);
        poll->setInterval(20);
        connect(poll, &QTimer::timeout, popup_, [this, poll, action] {
            if (!popup_->isVisible())
                return;
            poll->deleteLater();
            action();
            if (popup_->isVisible())
                popup_->hide();
        });
        poll->start();
    }

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("NOTIFY_TEST_DIR"))
            QSKIP("runs inside desktop_session.sh --dunst");
        // The program's icon, where the server looks for icons by name.
        QImage icon(32, 32, QImage::Format_ARGB32);
        icon.fill(Qt::darkCyan);
        QVERIFY(icon.save(TestFile("icons/") + ProgramFileName + ".png"));
    }

    void init() {
        SetUpRig(FixedNow());
        Dunstctl({"close-all"});
        QFile::remove(TestFile("pick"));
        QTRY_COMPARE(Displayed(), 0);
    }

    void cleanup() {
        VerifyCleanEnd();
        TearDownRig();
    }

    void dueReminderShowsOneNotificationWithItsActions() {
        StartOnTheDesktop({DueRow(1, "Call the plumber", "Bring the <big> & tape")});
        Announce(1, 1);
        QVERIFY(!main_->Reminders->Balloon);
        // Timer4 left it up.
        QVERIFY(main_->Reminders->Timer3->isActive());
        QCOMPARE(Displayed(), 1);

        const QStringList menu = ContextMenu(QString());
        QCOMPARE(menu.size(), 3);
        for (const QString action : {R"(Snooze 5 minutes \(Call the plumber\) \[\d+,snooze\])",
                                     R"(Done \(Call the plumber\) \[\d+,done\])",
                                     R"(Open \(Call the plumber\) \[\d+,default\])"})
            QVERIFY2(menu.filter(QRegularExpression("^#" + action + "$")).size() == 1,
                     qPrintable(menu.join('\n')));
        QCOMPARE(Displayed(), 1);
        QVERIFY(VisibleWindows().isEmpty());

        Dunstctl({"close"});
        QTRY_VERIFY(!History().isEmpty());
        const QVariantMap shown = History().front();
        QCOMPARE(shown["summary"].toString(), QString("Call the plumber"));
        // The server reads markup: the note shows as typed.
        QCOMPARE(shown["body"].toString(), QString("Bring the &lt;big&gt; &amp; tape"));
        QCOMPARE(shown["appname"].toString(), QString(ProgramName));
        QCOMPARE(QFileInfo(shown["icon_path"].toString()).fileName(),
                 QString(ProgramFileName) + ".png");
        // Normal urgency and the desktop entry, as the server's rule saw them.
        QCOMPARE(shown["category"].toString(), QString("desktop-entry-seen"));
        // Never expires.
        QCOMPARE(shown["timeout"].toLongLong(), 0);
    }

    void snoozeMovesTheReminderWithoutAWindow() {
        StartOnTheDesktop({DueRow(1, "Call the plumber"), DueRow(2, "Pay the rent")});
        Announce(1, 1);
        Announce(2, 2);
        const QStringList menu = ContextMenu(",snooze]");
        QCOMPARE(menu.filter(",snooze]").size(), 2);
        // The menu lists the newest notification first.
        QTRY_COMPARE(Stored(2, "datetimeReminder").toDouble(), FixedNow() + 5.0 / 1440);
        QCOMPARE(Stored(1, "datetimeReminder").toDouble(), HourAgo());
        QCOMPARE(Stored(2, "intReminder").toInt(), 1);
        const TMyRec2& row = main_->Form2->ShownTasks[static_cast<size_t>(RowOf(2))];
        QCOMPARE(row.datetimeReminder, FixedNow() + 5.0 / 1440);
        QCOMPARE(Rows().index(RowOf(2), 3).data().toString(),
                 Rows().index(RowOf(1), 3).data().toString());
        QVERIFY(VisibleWindows().isEmpty());
        QTRY_COMPARE(Displayed(), 1);
        QCOMPARE(History().front()["summary"].toString(), QString("Pay the rent"));
    }

    void doneMarksTheTaskDoneInTheFileAndTheList() {
        StartOnTheDesktop({DueRow(1, "Call the plumber")});
        Announce(1, 1);
        ContextMenu(",done]");
        QTRY_COMPARE(Stored(1, "intDone").toInt(), 1);
        QCOMPARE(Stored(1, "intReminder").toInt(), 1);
        QCOMPARE(main_->Form2->AllTasks[0].intDone, 1);
        QCOMPARE(Rows().index(RowOf(1), 0).data(Qt::CheckStateRole).value<Qt::CheckState>(),
                 Qt::Checked);
        QVERIFY(VisibleWindows().isEmpty());
        QTRY_COMPARE(Displayed(), 0);
        // Done tasks are not announced.
        main_->Reminders->Timer3Timer();
        QVERIFY(!main_->Reminders->Timer4->isActive());
    }

    void clickOpensThePopupAsABalloonClickDoes() {
        StartOnTheDesktop({DueRow(1, "Call the plumber", "the tap drips")});
        Announce(1, 1);
        QString name;
        QString note;
        WhenPopupOpens([&] {
            name = Edit1(*popup_)->text();
            note = Memo1(*popup_)->toPlainText();
            RadioButton2(*popup_)->setChecked(true);
            QTest::mouseClick(BitBtn1(*popup_), Qt::LeftButton);
        });
        Dunstctl({"action", "0"});
        QTRY_COMPARE(name, QString("Call the plumber"));
        QCOMPARE(note, QString("the tap drips"));
        QVERIFY(main_->MainShown);
        QCOMPARE(Stored(1, "intReminder").toInt(), 0);
        QCOMPARE(main_->Form2->AllTasks[0].intReminder, 0);
        QTRY_COMPARE(Displayed(), 0);
    }

    void secondReminderFollowsAndARepeatReplacesItsNotification() {
        StartOnTheDesktop(
            {DueRow(1, "Call the plumber"),
             DueRow(2, "Pay the rent"),
             {.id = 3, .name = "later", .reminder = 1, .datetimeReminder = now_ + 1}});
        const qlonglong lastBefore = LastHistoryId();
        Announce(1, 1);
        QCOMPARE(main_->Reminders->ReminderPos, 0);
        Announce(2, 2);
        QCOMPARE(main_->Reminders->ReminderPos, 1);
        main_->Reminders->Timer3Timer();
        QCOMPARE(main_->Reminders->ReminderPos, -1);
        main_->Reminders->Timer3Timer();
        QCOMPARE(main_->Reminders->ReminderTaskId, 1);
        // The repeat takes the place of the first notification: a new one would show now.
        QTest::qWait(500);
        QCOMPARE(Displayed(), 2);

        Dunstctl({"close-all"});
        QTRY_COMPARE(Displayed(), 0);
        QStringList summaries;
        for (const QVariantMap& shown : History())
            if (shown["id"].toLongLong() > lastBefore)
                summaries.append(shown["summary"].toString());
        summaries.sort();
        QCOMPARE(summaries, (QStringList{"Call the plumber", "Pay the rent"}));
    }
};

QTEST_MAIN(TestNotificationServer)
#include "tst_NotificationServer.moc"
