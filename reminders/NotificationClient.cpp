// SPDX-License-Identifier: GPL-3.0-or-later

#include "reminders/NotificationClient.h"

#include "store/settings/ProgramInfo.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

#include <algorithm>
#include <vector>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString ObjectPath = QStringLiteral("/org/freedesktop/Notifications");
const char* const Interface = "org.freedesktop.Notifications";

// The keys of the actions, which the server hands back.
const QString DefaultAction = QStringLiteral("default");
const QString SnoozeAction = QStringLiteral("snooze");
const QString DoneAction = QStringLiteral("done");

// How long the program waits at its end for a notification to be taken down.
constexpr int ClosingTimeout = 500;
// How many signals about unknown notifications are kept for an id still to come.
constexpr size_t EarlyEventsKept = 16;

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
    connect(server_, &TNotificationsProxy::ActivationToken, this,
            [this](uint id, const QString& token) {
                activationToken_ = {id, token};
            });
    AskCapabilities();
}

TNotificationClient::~TNotificationClient() {
    // The calls are waited for, so that they leave before the program ends; together, so that
    // a server that does not answer holds the end up once only.
    std::vector<QDBusPendingCall> closing;
    for (const TShown& shown : std::as_const(shown_))
        if (shown.id != 0)
            closing.push_back(CloseNotification(shown.id, ClosingTimeout));
    for (QDBusPendingCall& call : closing)
        call.waitForFinished();
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
    const QString body = capabilities_.contains("body-markup") ? EscapeMarkup(text) : text;
    TShown& shown = shown_[taskId];
    shown.closing = false;
    if (shown.waiting)
        shown.next = {summary, body};
    else
        Send(taskId, shown, summary, body);
}

void TNotificationClient::Send(int32_t taskId, TShown& shown, const QString& summary,
                               const QString& body) {
    QStringList actions{DefaultAction, QStringLiteral("Open")};
    if (ShowsActions())
        actions << SnoozeAction << QStringLiteral("Snooze 5 minutes") << DoneAction
                << QStringLiteral("Done");
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue<uchar>(1)},
                            {QStringLiteral("desktop-entry"), QString(ProgramId)},
                            // The program plays the task's own sound.
                            {QStringLiteral("suppress-sound"), true}};
    QDBusMessage call = ServerCall("Notify");
    // Never expires: the notification stays until its task is handled.
    call << QString(ProgramName) << shown.id << QString(ProgramFileName) << summary << body
         << actions << hints << int32_t(0);
    shown.waiting = true;
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
    const uint id = reply.value();
    const std::vector<QString> early = TakeEarlyEvents(id);
    // Taken down, or dismissed, while the server was answering.
    if (shown == shown_.end() || shown->closing) {
        if (shown != shown_.end())
            shown_.erase(shown);
        CloseNotification(id);
        return;
    }
    shown->id = id;
    shown->waiting = false;
    if (shown->next) {
        const auto [summary, body] = *std::exchange(shown->next, std::nullopt);
        Send(taskId, *shown, summary, body);
    }
    for (const QString& actionKey : early) {
        if (actionKey.isEmpty())
            NotificationClosed(id);
        else
            Dispatch(taskId, actionKey);
    }
}

std::vector<QString> TNotificationClient::TakeEarlyEvents(uint id) {
    std::vector<QString> events;
    std::erase_if(earlyEvents_, [&](const TEarlyEvent& event) {
        if (event.id != id)
            return false;
        events.push_back(event.actionKey);
        return true;
    });
    return events;
}

void TNotificationClient::Close(int32_t taskId) {
    const auto shown = shown_.find(taskId);
    if (shown == shown_.end())
        return;
    if (shown->waiting) {
        shown->closing = true;
        shown->next.reset();
        return;
    }
    const uint id = shown->id;
    shown_.erase(shown);
    CloseNotification(id);
}

QDBusPendingCall TNotificationClient::CloseNotification(uint id, int timeout) {
    QDBusMessage call = ServerCall("CloseNotification");
    call << id;
    return bus_.asyncCall(call, timeout);
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
    if (id == 0 || actionKey.isEmpty())
        return;
    if (const int32_t taskId = TaskOf(id); taskId != 0)
        Dispatch(taskId, actionKey);
    else
        KeepEarlyEvent(id, actionKey);
}

void TNotificationClient::Dispatch(int32_t taskId, const QString& actionKey) {
    // A token is for the action that follows it, and for no later one.
    const auto [tokenId, token] = std::exchange(activationToken_, {});
    if (actionKey == DefaultAction)
        emit Clicked(taskId,
                     tokenId != 0 && tokenId == shown_.value(taskId).id ? token : QString());
    else if (actionKey == SnoozeAction)
        emit SnoozeChosen(taskId);
    else if (actionKey == DoneAction)
        emit DoneChosen(taskId);
}

void TNotificationClient::NotificationClosed(uint id) {
    if (id == 0)
        return;
    if (const int32_t taskId = TaskOf(id); taskId != 0)
        shown_.remove(taskId);
    else
        KeepEarlyEvent(id, QString());
}

void TNotificationClient::KeepEarlyEvent(uint id, const QString& actionKey) {
    // Only while an answer is awaited can an id still come.
    const bool awaited = std::any_of(shown_.cbegin(), shown_.cend(),
                                     [](const TShown& shown) { return shown.waiting; });
    if (!awaited)
        return;
    earlyEvents_.push_back({id, actionKey});
    if (earlyEvents_.size() > EarlyEventsKept)
        earlyEvents_.pop_front();
}
