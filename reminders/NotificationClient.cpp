// SPDX-License-Identifier: GPL-3.0-or-later

#include "reminders/NotificationClient.h"

#include "store/settings/ProgramInfo.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString ObjectPath = QStringLiteral("/org/freedesktop/Notifications");
const char* const Interface = "org.freedesktop.Notifications";

// The actions' keys, which the server hands back, and their labels.
const QString DefaultAction = QStringLiteral("default");
const QString SnoozeAction = QStringLiteral("snooze");
const QString DoneAction = QStringLiteral("done");

// How long the program waits at its end for a notification to be taken down.
constexpr int ClosingTimeout = 500;

QDBusMessage ServerCall(const QString& method) {
    return QDBusMessage::createMethodCall(Service, ObjectPath, Interface, method);
}

} // namespace

QString EscapeMarkup(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == '<')
            escaped += QStringLiteral("&lt;");
        else if (c == '>')
            escaped += QStringLiteral("&gt;");
        else if (c == '&')
            escaped += QStringLiteral("&amp;");
        else
            escaped += c;
    }
    return escaped;
}

TDesktopNotifications* MakeNotificationClient(QObject* parent) {
    return new TNotificationClient(QDBusConnection::sessionBus(), parent);
}

TNotificationsProxy::TNotificationsProxy(const QDBusConnection& bus, QObject* parent)
    : QDBusAbstractInterface(Service, ObjectPath, Interface, bus, parent) {}

TNotificationClient::TNotificationClient(const QDBusConnection& bus, QObject* parent)
    : TDesktopNotifications(parent), bus_(bus), server_(new TNotificationsProxy(bus_, this)) {
    setObjectName("NotificationClient");
    if (!bus_.isConnected())
        return;
    auto* watcher =
        new QDBusServiceWatcher(Service, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                ServerChanged(newOwner);
            });
    connect(server_, &TNotificationsProxy::ActionInvoked, this,
            &TNotificationClient::ActionInvoked);
    connect(server_, &TNotificationsProxy::NotificationClosed, this,
            [this](uint id, uint) { NotificationClosed(id); });
    AskCapabilities();
}

TNotificationClient::~TNotificationClient() {
    for (const TShown& shown : std::as_const(shown_))
        if (shown.id != 0) {
            QDBusMessage call = ServerCall("CloseNotification");
            call << shown.id;
            bus_.call(call, QDBus::Block, ClosingTimeout);
        }
}

void TNotificationClient::AskCapabilities() {
    // A server started on demand by the bus answers once it runs; until then the balloons
    // stand in.
    auto* call = new QDBusPendingCallWatcher(bus_.asyncCall(ServerCall("GetCapabilities")), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QStringList> reply = *call;
        answers_ = !reply.isError();
        capabilities_ = answers_ ? reply.value() : QStringList();
    });
}

void TNotificationClient::ServerChanged(const QString& newOwner) {
    // The notifications of a server that went are gone with it.
    shown_.clear();
    answers_ = false;
    capabilities_.clear();
    if (!newOwner.isEmpty())
        AskCapabilities();
}

void TNotificationClient::Notify(int32_t taskId, const QString& summary, const QString& text) {
    QStringList actions{DefaultAction, QStringLiteral("Open")};
    if (ShowsActions())
        actions << SnoozeAction << QStringLiteral("Snooze 5 minutes") << DoneAction
                << QStringLiteral("Done");
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue<uchar>(1)},
                            {QStringLiteral("desktop-entry"), QString(ProgramId)},
                            // The program plays the task's own sound.
                            {QStringLiteral("suppress-sound"), true}};
    const QString body = capabilities_.contains("body-markup") ? EscapeMarkup(text) : text;
    TShown& shown = shown_[taskId];
    shown.closing = false;

    QDBusMessage call = ServerCall("Notify");
    // Never expires: the notification stays until its task is handled.
    call << QString(ProgramName) << shown.id << QString(ProgramFileName) << summary << body
         << actions << hints << int32_t(0);
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(
        pending, &QDBusPendingCallWatcher::finished, this,
        [this, taskId](QDBusPendingCallWatcher* answered) { NotifyAnswered(answered, taskId); });
}

void TNotificationClient::NotifyAnswered(QDBusPendingCallWatcher* call, int32_t taskId) {
    call->deleteLater();
    const QDBusPendingReply<uint> reply = *call;
    const auto shown = shown_.find(taskId);
    if (reply.isError()) {
        if (shown != shown_.end())
            shown_.erase(shown);
        // The server went quiet: the balloons stand in until it answers again.
        answers_ = false;
        AskCapabilities();
        emit Failed(taskId);
        return;
    }
    if (shown == shown_.end() || shown->closing) {
        if (shown != shown_.end())
            shown_.erase(shown);
        CloseNotification(reply.value());
        return;
    }
    // Announced twice before the server told the first id: the later notification stays.
    if (shown->id != 0 && shown->id != reply.value())
        CloseNotification(shown->id);
    shown->id = reply.value();
}

void TNotificationClient::Close(int32_t taskId) {
    const auto shown = shown_.find(taskId);
    if (shown == shown_.end())
        return;
    if (shown->id == 0) {
        shown->closing = true;
        return;
    }
    const uint id = shown->id;
    shown_.erase(shown);
    CloseNotification(id);
}

void TNotificationClient::CloseNotification(uint id) {
    QDBusMessage call = ServerCall("CloseNotification");
    call << id;
    bus_.asyncCall(call);
}

QList<int32_t> TNotificationClient::Shown() const {
    QList<int32_t> tasks;
    for (auto shown = shown_.begin(); shown != shown_.end(); ++shown)
        if (!shown->closing)
            tasks.append(shown.key());
    return tasks;
}

int32_t TNotificationClient::TaskOf(uint id) const {
    for (auto shown = shown_.begin(); shown != shown_.end(); ++shown)
        if (shown->id == id)
            return shown.key();
    return 0;
}

void TNotificationClient::ActionInvoked(uint id, const QString& actionKey) {
    // A server may tell every program of the actions on every notification.
    const int32_t taskId = id == 0 ? 0 : TaskOf(id);
    if (taskId == 0)
        return;
    if (actionKey == DefaultAction)
        emit Clicked(taskId);
    else if (actionKey == SnoozeAction)
        emit SnoozeChosen(taskId);
    else if (actionKey == DoneAction)
        emit DoneChosen(taskId);
}

void TNotificationClient::NotificationClosed(uint id) {
    if (const int32_t taskId = id == 0 ? 0 : TaskOf(id); taskId != 0)
        shown_.remove(taskId);
}
