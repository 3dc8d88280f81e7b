// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>

// The desktop's own notifications, where a notification server answers on the session bus.
// Each task has at most one notification: a new announcement of the task replaces it, and it
// stays until the task is handled or the user dismisses it, since a reminder that vanishes
// from the desktop's list is lost to a user who was away. The reminder check announces here
// when the server answers, and hears what the user does on a notification.
class TDesktopNotifications : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether a notification server answered, and whether it shows buttons on notifications.
    virtual bool Answers() const = 0;
    virtual bool ShowsActions() const = 0;
    // Announces the task's reminder: its name as summary and the text (plain) as body. A click
    // on it is offered always, "Snooze 5 minutes" and "Done" where the server shows buttons.
    virtual void Notify(int32_t taskId, const QString& summary, const QString& text) = 0;
    // Takes the task's notification down; nothing when it shows none.
    virtual void Close(int32_t taskId) = 0;
    // The tasks whose notifications are up, as far as this side knows.
    virtual QList<int32_t> Shown() const = 0;

signals:
    // The notification of the task was clicked. The server may hand over an activation token
    // with the click, with which the window it opens may come to the front; empty without.
    void Clicked(int32_t taskId, const QString& activationToken);
    // Its "Snooze 5 minutes" or its "Done" was chosen.
    void SnoozeChosen(int32_t taskId);
    void DoneChosen(int32_t taskId);
    // The server refused the task's notification or did not answer.
    void Failed(int32_t taskId);
};

// The client of the notification server on the session bus (org.freedesktop.Notifications).
// It asks the server what it shows at once and again whenever a server takes the name, so
// that an announcement never waits for the bus; until a server has answered, Answers() is
// false.
TDesktopNotifications* MakeNotificationClient(QObject* parent);

// The text as a server that reads markup in bodies shows it as typed: <, > and & escaped.
QString EscapeMarkup(const QString& text);
