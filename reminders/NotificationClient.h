// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "reminders/DesktopNotifications.h"

#include <QDBusAbstractInterface>
#include <QDBusConnection>
#include <QHash>
#include <QStringList>

class QDBusPendingCallWatcher;

// The notification server's object, for its two signals.
class TNotificationsProxy : public QDBusAbstractInterface {
    Q_OBJECT

public:
    TNotificationsProxy(const QDBusConnection& bus, QObject* parent);

signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id, uint reason);
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
    // A task's notification: the server's id, 0 while the server has not answered yet.
    struct TShown {
        uint id = 0;
        // Closed before the server told its id: it is closed once the id comes.
        bool closing = false;
    };

    void AskCapabilities();
    void NotifyAnswered(QDBusPendingCallWatcher* call, int32_t taskId);
    void ServerChanged(const QString& newOwner);
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id);
    void CloseNotification(uint id);
    int32_t TaskOf(uint id) const;

    QDBusConnection bus_;
    TNotificationsProxy* server_;
    bool answers_ = false;
    QStringList capabilities_;
    QHash<int32_t, TShown> shown_;
};
