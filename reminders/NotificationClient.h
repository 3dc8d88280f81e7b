// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "reminders/DesktopNotifications.h"

#include <QDBusAbstractInterface>
#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QHash>
#include <QStringList>

#include <deque>
#include <optional>
#include <utility>
#include <vector>

class QDBusPendingCallWatcher;

// The notification server's object, for its two signals.
class TNotificationsProxy : public QDBusAbstractInterface {
    Q_OBJECT

public:
    TNotificationsProxy(const QDBusConnection& bus, QObject* parent);

signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id, uint reason);
    // Sent just before the action it goes with.
    void ActivationToken(uint id, const QString& activationToken);
};

// Notifications through the session bus's notification server.
class TNotificationClient final : public TDesktopNotifications {
    Q_OBJECT

public:
    TNotificationClient(const QDBusConnection& bus, QObject* parent);
    // Notifications left on the desktop would offer buttons that nobody answers any more.
    ~TNotificationClient() override;

    bool Answers() const override { return answers_; }
    bool ShowsActions() const override { return capabilities_.contains("actions"); }
    void Notify(int32_t taskId, const QString& summary, const QString& text) override;
    void Close(int32_t taskId) override;
    QList<int32_t> Shown() const override;

private:
    // A task's notification as this side knows it.
    struct TShown {
        // The server's id; 0 until it told one.
        uint id = 0;
        // The server has not answered the last announcement yet.
        bool waiting = false;
        // Taken down while the answer was awaited: closed once it comes.
        bool closing = false;
        // An announcement made while the answer was awaited, made once the id is known, so
        // that it replaces the notification instead of showing a second one.
        std::optional<std::pair<QString, QString>> next;
    };

    void AskCapabilities();
    void Send(int32_t taskId, TShown& shown, const QString& summary, const QString& body);
    void NotifyAnswered(QDBusPendingCallWatcher* call, int32_t taskId);
    void ServerChanged(const QString& newOwner);
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id);
    void Dispatch(int32_t taskId, const QString& actionKey);
    void KeepEarlyEvent(uint id, const QString& actionKey);
    std::vector<QString> TakeEarlyEvents(uint id);
    // Asks the server to take the notification down; timeout -1 is the bus's default.
    QDBusPendingCall CloseNotification(uint id, int timeout = -1);
    int32_t TaskOf(uint id) const;

    QDBusConnection bus_;
    TNotificationsProxy* server_;
    bool answers_ = false;
    QStringList capabilities_;
    QHash<int32_t, TShown> shown_;
    // What the server told of ids not known here yet: the bus can deliver its signals before
    // the answer that tells the id. An action's key, or an empty one for a closed notification,
    // the newest last; a few only, since a server may tell of other programs' notifications.
    struct TEarlyEvent {
        uint id;
        QString actionKey;
    };
    std::deque<TEarlyEvent> earlyEvents_;
    // The activation token the server sent last, with the id of its notification.
    std::pair<uint, QString> activationToken_;
};
