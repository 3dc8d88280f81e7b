// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "reminders/ReminderChoice.h"

#include <QObject>

#include <cstdint>

class QString;
class QSystemTrayIcon;
class QTimer;
class QWidget;
class TBalloonWindow;
class TDesktopNotifications;
class TDM;
class TForm17;
class TForm3;
class TMainWindowServices;
class TTaskArrays;
struct TMyRec2;

// The reminder check: Timer3 scans the tasks for a due reminder every 10 s; an announced
// reminder plays its sound and shows a balloon, on the tray icon or in a balloon window of our
// own, that Timer4 takes down 10 s later, after which scanning goes on after the announced
// task. A click on the balloon opens the reminder popup, and the task editor after it when
// the user chose to edit the task.
//
// Where the desktop's notification server answers, a notification stands in for the balloon:
// Timer4 goes on as for a balloon but leaves the notification up, a new announcement of the
// task replaces it, and it is taken down once the task is no longer due, whatever handled it.
// Its click is the balloon's click on its task; its "Snooze 5 minutes" and "Done" are the
// popup's first delay and "done" without the popup.
//
// The main window makes it, gives it the tray icon, and starts it once the task list is loaded;
// the task editor and the reminder popup pause it while they are shown.
class TReminderCheck : public QObject {
    Q_OBJECT

public:
    // window is the main window: the error boxes and the balloon window belong to it.
    TReminderCheck(TDM& dm, TTaskArrays& tasks, TForm3& reminderPopup, TForm17& taskEditor,
                   QSystemTrayIcon& trayIcon, bool trayAvailable, TMainWindowServices& mainWindow,
                   QWidget* window);

    // The first scan comes 10 s from now, from the first task. Only the first call starts
    // the check: it is made at every load of the records that succeeds, so a start whose load
    // failed begins the check at the first load that does.
    void Start();
    // Announce through the desktop's notifications whenever their server answers; the check
    // owns them from here on.
    void UseDesktopNotifications(TDesktopNotifications* notifications);
    void PauseReminderCheck();
    void ResumeReminderCheck();

    void Timer3Timer();
    void Timer4Timer();
    void TrayIcon1BalloonHintClick();
    // What a click on a reminder does, for the task it announced: the main window back, the
    // popup, and the editor when the user chose to edit. The popup comes to the front with the
    // activation token a notification's click handed over, if any.
    void OpenReminder(int32_t taskId, const QString& activationToken = QString());
    // Whether reminders show as the desktop's notifications, else on the tray icon, else in a
    // balloon window of our own.
    bool UsesDesktopNotifications() const;
    bool UsesTrayBalloons() const;

    // Position in AllTasks of the task announced last; -1: start at the first.
    int32_t ReminderPos = -1;
    // The task announced last, which a click on the balloon works on.
    int32_t ReminderTaskId = 0;
    // Scans for due reminders every 10 s.
    QTimer* Timer3 = nullptr;
    // Takes a shown balloon down after 10 s.
    QTimer* Timer4 = nullptr;
    // The balloon window used where the tray shows no balloons, once one was shown.
    TBalloonWindow* Balloon = nullptr;
    // The desktop's notifications, when the program uses them.
    TDesktopNotifications* Notifications = nullptr;

private:
    bool started_ = false;
    // A balloon is up on the tray icon.
    bool trayBalloonUp_ = false;

    void ShowReminder(const TMyRec2& task);
    void ShowBalloon(const TMyRec2& task);
    void HideBalloon();
    void OpenReminderPopup(int32_t taskId, const QString& activationToken);
    void AnswerFromNotification(int32_t taskId, TReminderChoice choice);
    void NotificationFailed(int32_t taskId);
    // Takes down the notifications of tasks that are no longer due.
    void CloseHandledNotifications();

    TDM& dm_;
    TTaskArrays& tasks_;
    TForm3& reminderPopup_;
    TForm17& taskEditor_;
    QSystemTrayIcon& trayIcon_;
    bool trayAvailable_;
    TMainWindowServices& mainWindow_;
    QWidget* window_;
};
