// SPDX-License-Identifier: GPL-3.0-or-later

// The notification client against a stand-in server on a private session bus
// (desktop_session.sh): what it sends for servers that show buttons and markup and for those
// that do not, how one notification per task is kept, what the server's signals become, and
// how the client follows a server that refuses, goes or comes.

#include "reminders/DesktopNotifications.h"
#include "store/settings/ProgramInfo.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <optional>
#include <utility>

namespace {

const QString Service = "org.freedesktop.Notifications";
const QString ObjectPath = "/org/freedesktop/Notifications";

} // namespace

// A notification server that remembers what it is asked and answers as the test sets it.
class TStandInServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct TNotice {
        QString appName;
        uint replacesId;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int timeout;
    };

    QStringList capabilities;
    bool refuse = false;
    // Sent before the answer to the next notification, with its id: an action's key, or an
    // empty one for the notification's end.
    std::optional<QString> signalFirst;
    QList<TNotice> notified;
    QList<uint> closed;

public slots:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int timeout) {
        if (refuse) {
            sendErrorReply(QDBusError::Failed, "no more notifications");
            return 0;
        }
        notified.append({appName, replacesId, appIcon, summary, body, actions, hints, timeout});
        const uint id = replacesId != 0 ? replacesId : ++lastId_;
        if (const std::optional<QString> first = std::exchange(signalFirst, std::nullopt)) {
            if (first->isEmpty())
                emit NotificationClosed(id, 1);
            else
                emit ActionInvoked(id, *first);
        }
        return id;
    }
    void CloseNotification(uint id) {
        closed.append(id);
        emit NotificationClosed(id, 3);
    }

signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id, uint reason);
    void ActivationToken(uint id, const QString& activationToken);

private:
    uint lastId_ = 0;
};

class TestNotificationClient : public QObject {
    Q_OBJECT

    QDBusConnection serverBus_{QString()};
    std::unique_ptr<TStandInServer> server_;
    std::unique_ptr<TDesktopNotifications> client_;

    // The stand-in takes the server's name on a connection of its own.
    void StartServer(const QStringList& capabilities) {
        server_ = std::make_unique<TStandInServer>();
        server_->capabilities = capabilities;
        QVERIFY(serverBus_.registerObject(ObjectPath, server_.get(),
                                          QDBusConnection::ExportAllSlots |
                                              QDBusConnection::ExportAllSignals));
        QVERIFY(serverBus_.registerService(Service));
    }
    void StopServer() {
        serverBus_.unregisterService(Service);
        serverBus_.unregisterObject(ObjectPath);
    }
    // A client, once it knows what the server shows.
    void StartClient() {
        client_.reset(MakeNotificationClient(nullptr));
        QTRY_VERIFY(client_->Answers());
    }
    // Waits for the server to have been asked `count` notifications in all.
    void AwaitNotified(int count) { QTRY_COMPARE(server_->notified.size(), count); }

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("NOTIFY_TEST_DIR"))
            QSKIP("runs inside desktop_session.sh");
        serverBus_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "stand-in");
        QVERIFY(serverBus_.isConnected());
    }

    void cleanup() {
        client_.reset();
        StopServer();
        server_.reset();
    }

    void noServerNoAnswer() {
        client_.reset(MakeNotificationClient(nullptr));
        QTest::qWait(200);
        QVERIFY(!client_->Answers());
        QVERIFY(!client_->ShowsActions());
    }

    void serverWithoutButtonsGetsTheClickAloneAndPlainText() {
        StartServer({"body"});
        StartClient();
        QVERIFY(!client_->ShowsActions());
        client_->Notify(7, "Call <the> plumber", "tap & sink <soon>");
        AwaitNotified(1);
        const TStandInServer::TNotice& notice = server_->notified[0];
        QCOMPARE(notice.appName, QString(ProgramName));
        QCOMPARE(notice.replacesId, 0u);
        QCOMPARE(notice.appIcon, QString(ProgramFileName));
        QCOMPARE(notice.summary, QString("Call <the> plumber"));
        QCOMPARE(notice.body, QString("tap & sink <soon>"));
        QCOMPARE(notice.actions, (QStringList{"default", "Open"}));
        QCOMPARE(notice.hints["urgency"].metaType(), QMetaType::fromType<uchar>());
        QCOMPARE(notice.hints["urgency"].value<uchar>(), uchar(1));
        QCOMPARE(notice.hints["desktop-entry"].toString(), QString(ProgramId));
        QCOMPARE(notice.timeout, 0);
        QCOMPARE(client_->Shown(), QList<int32_t>{7});
    }

    void serverWithButtonsAndMarkupGetsAllThreeAndEscapedText() {
        StartServer({"actions", "body", "body-markup"});
        StartClient();
        QVERIFY(client_->ShowsActions());
        client_->Notify(7, "Call <the> plumber", "tap & sink <soon>");
        AwaitNotified(1);
        QCOMPARE(server_->notified[0].summary, QString("Call <the> plumber"));
        QCOMPARE(server_->notified[0].body, QString("tap &amp; sink &lt;soon&gt;"));
        QCOMPARE(server_->notified[0].actions,
                 (QStringList{"default", "Open", "snooze", "Snooze 5 minutes", "done", "Done"}));
    }

    void eachTaskKeepsOneNotification() {
        StartServer({"actions"});
        StartClient();
        client_->Notify(1, "one", "");
        client_->Notify(2, "two", "");
        AwaitNotified(2);
        QCOMPARE(server_->notified[0].replacesId, 0u);
        QCOMPARE(server_->notified[1].replacesId, 0u);
        QTest::qWait(50);
        client_->Notify(1, "one", "again");
        AwaitNotified(3);
        QCOMPARE(server_->notified[2].replacesId, 1u);
        // Announced again before the server answered: the later one waits for the id.
        client_->Notify(3, "three", "");
        client_->Notify(3, "three", "again");
        AwaitNotified(5);
        QCOMPARE(server_->notified[3].replacesId, 0u);
        QCOMPARE(server_->notified[4].replacesId, 3u);
        QCOMPARE(server_->notified[4].body, QString("again"));
        QTest::qWait(100);
        QCOMPARE(server_->notified.size(), 5);
        QList<int32_t> shown = client_->Shown();
        std::sort(shown.begin(), shown.end());
        QCOMPARE(shown, (QList<int32_t>{1, 2, 3}));
    }

    void theServersSignalsReachTheirTasks() {
        StartServer({"actions"});
        StartClient();
        QSignalSpy clicked(client_.get(), &TDesktopNotifications::Clicked);
        QSignalSpy snoozed(client_.get(), &TDesktopNotifications::SnoozeChosen);
        QSignalSpy done(client_.get(), &TDesktopNotifications::DoneChosen);
        client_->Notify(11, "eleven", "");
        client_->Notify(12, "twelve", "");
        AwaitNotified(2);
        QTest::qWait(50);

        // A server that hands over activation tokens sends each just before its action.
        emit server_->ActivationToken(2, "token of the snooze");
        emit server_->ActionInvoked(2, "snooze");
        emit server_->ActivationToken(1, "token of the click");
        emit server_->ActionInvoked(1, "default");
        emit server_->ActionInvoked(2, "done");
        // Another program's notification, and a key of no button.
        emit server_->ActionInvoked(99, "done");
        emit server_->ActionInvoked(1, "reply");
        // A click without a token gets none of an earlier action.
        emit server_->ActionInvoked(1, "default");
        QTRY_COMPARE(clicked.size(), 2);
        QCOMPARE(done.size(), 1);
        QCOMPARE(snoozed.size(), 1);
        QCOMPARE(snoozed[0][0].toInt(), 12);
        QCOMPARE(clicked[0][0].toInt(), 11);
        QCOMPARE(clicked[0][1].toString(), QString("token of the click"));
        QCOMPARE(clicked[1][1].toString(), QString());
        QCOMPARE(done[0][0].toInt(), 12);

        // Dismissed on the desktop: the next announcement is a new notification.
        emit server_->NotificationClosed(1, 2);
        QTRY_COMPARE(client_->Shown(), QList<int32_t>{12});
        client_->Notify(11, "eleven", "");
        AwaitNotified(3);
        QCOMPARE(server_->notified[2].replacesId, 0u);
    }

    void signalsThatComeBeforeTheIdAreKeptForIt() {
        StartServer({"actions"});
        StartClient();
        QSignalSpy done(client_.get(), &TDesktopNotifications::DoneChosen);
        server_->signalFirst = "done";
        client_->Notify(4, "four", "");
        QTRY_COMPARE(done.size(), 1);
        QCOMPARE(done[0][0].toInt(), 4);

        server_->signalFirst = QString();
        client_->Notify(5, "five", "");
        AwaitNotified(2);
        QTRY_COMPARE(client_->Shown(), QList<int32_t>{4});
    }

    void closingTakesTheNotificationDownEvenBeforeItsId() {
        StartServer({"actions"});
        StartClient();
        client_->Notify(1, "one", "");
        AwaitNotified(1);
        QTest::qWait(50);
        client_->Close(1);
        QVERIFY(client_->Shown().isEmpty());
        QTRY_COMPARE(server_->closed, QList<uint>{1});

        client_->Notify(2, "two", "");
        client_->Close(2);
        QVERIFY(client_->Shown().isEmpty());
        QTRY_COMPARE(server_->closed, (QList<uint>{1, 2}));
        // Closing what shows nothing does nothing.
        client_->Close(3);
        QTest::qWait(50);
        QCOMPARE(server_->closed.size(), 2);
    }

    void theEndTakesTheNotificationsDown() {
        StartServer({"actions"});
        StartClient();
        client_->Notify(1, "one", "");
        client_->Notify(2, "two", "");
        AwaitNotified(2);
        QTest::qWait(50);
        client_.reset();
        QTRY_COMPARE(server_->closed.size(), 2);
    }

    void refusalFailsTheAnnouncementUntilTheServerAnswersAgain() {
        StartServer({"actions"});
        StartClient();
        QSignalSpy failed(client_.get(), &TDesktopNotifications::Failed);
        server_->refuse = true;
        client_->Notify(5, "five", "");
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(failed[0][0].toInt(), 5);
        QVERIFY(client_->Shown().isEmpty());
        // The client asks the server again, which answers.
        QTRY_VERIFY(client_->Answers());
    }

    void aServerThatGoesAndComesIsFollowed() {
        StartServer({"actions"});
        StartClient();
        client_->Notify(1, "one", "");
        AwaitNotified(1);
        StopServer();
        QTRY_VERIFY(!client_->Answers());
        QVERIFY(client_->Shown().isEmpty());

        StartServer({"body"});
        QTRY_VERIFY(client_->Answers());
        QVERIFY(!client_->ShowsActions());
        client_->Notify(1, "one", "");
        AwaitNotified(1);
        QCOMPARE(server_->notified[0].replacesId, 0u);
    }
};

QTEST_GUILESS_MAIN(TestNotificationClient)
#include "tst_NotificationClient.moc"
