// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>

#include <cstdint>

class QString;
class QSystemTrayIcon;
class QTimer;
class QWidget;
class TBalloonWindow;
class TDM;
class TForm17;
class TForm3;
class TMainWindowServices;
class TTaskArrays;

// The reminder check: Timer3 scans the tasks for a due reminder every 10 s; an announced
// reminder plays its sound and shows a balloon, on the tray icon or in a balloon window of our
// own, that Timer4 takes down 10 s later, after which scanning goes on after the announced
// task. A click on the balloon opens the reminder popup, and the task editor after it when
// the user chose to edit the task.
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

    // The first scan comes 10 s from now, from the first task.
    void Start();
    void PauseReminderCheck();
    void ResumeReminderCheck();

    void Timer3Timer();
    void Timer4Timer();
    void TrayIcon1BalloonHintClick();
    // Whether reminders show on the tray icon or in a balloon window of our own.
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

private:
    void ShowBalloon(const QString& fullTitle, const QString& fullText);
    void HideBalloon();

    TDM& dm_;
    TTaskArrays& tasks_;
    TForm3& reminderPopup_;
    TForm17& taskEditor_;
    QSystemTrayIcon& trayIcon_;
    bool trayAvailable_;
    TMainWindowServices& mainWindow_;
    QWidget* window_;
};
