// SPDX-License-Identifier: GPL-3.0-or-later

#include "reminders/ReminderCheck.h"

#include "editor/Unit17.h"
#include "reminders/Unit3.h"
#include "store/DmUnit.h"
#include "store/dates/dateUnit.h"
#include "store/funUnit.h"
#include "store/records/Reminders.h"
#include "store/records/TaskArrays.h"
#include "uikit/BalloonWindow.h"
#include "uikit/MainWindowServices.h"
#include "uikit/Reporting.h"
#include "uikit/Sound.h"

#include <QSystemTrayIcon>
#include <QTimer>

TReminderCheck::TReminderCheck(TDM& dm, TTaskArrays& tasks, TForm3& reminderPopup,
                               TForm17& taskEditor, QSystemTrayIcon& trayIcon, bool trayAvailable,
                               TMainWindowServices& mainWindow, QWidget* window)
    : QObject(window), dm_(dm), tasks_(tasks), reminderPopup_(reminderPopup),
      taskEditor_(taskEditor), trayIcon_(trayIcon), trayAvailable_(trayAvailable),
      mainWindow_(mainWindow), window_(window) {
    setObjectName("ReminderCheck");
    Timer3 = new QTimer(this);
    Timer3->setObjectName("Timer3");
    Timer3->setInterval(10000);
    Timer4 = new QTimer(this);
    Timer4->setObjectName("Timer4");
    Timer4->setInterval(10000);
    // The handlers run over the main window, whose error boxes they show.
    ConnectReporting(Timer3, &QTimer::timeout, window_, [this] { Timer3Timer(); });
    ConnectReporting(Timer4, &QTimer::timeout, window_, [this] { Timer4Timer(); });
    ConnectReporting(&trayIcon_, &QSystemTrayIcon::messageClicked, window_,
                     [this] { TrayIcon1BalloonHintClick(); });
}

void TReminderCheck::Start() {
    if (started_)
        return;
    started_ = true;
    ReminderPos = -1;
    Timer3->start();
}

void TReminderCheck::PauseReminderCheck() {
    Timer3->stop();
    Timer4->stop();
    HideBalloon();
}

void TReminderCheck::ResumeReminderCheck() {
    Timer3->start();
}

void TReminderCheck::Timer3Timer() {
    Timer3->stop();
    const std::vector<TMyRec2>& tasks = tasks_.AllTasks();
    const int k = tasks_.NextDueTask(ReminderPos + 1, Now());
    if (k < 0) {
        ReminderPos = -1;
        Timer3->start();
        return;
    }
    const TMyRec2& task = tasks[static_cast<size_t>(k)];
    if (task.intSound == 1)
        PlaySoundFile(QString::fromStdString(dm_.SoundFile(task.strSoundFile)));
    ShowBalloon(QString::fromStdString(task.strName),
                QString::fromStdString(BalloonText(task.strNote)));
    ReminderPos = k;
    ReminderTaskId = task.id;
    Timer4->start();
}

void TReminderCheck::Timer4Timer() {
    Timer4->stop();
    HideBalloon();
    Timer3->start();
}

void TReminderCheck::TrayIcon1BalloonHintClick() {
    const std::vector<TMyRec2>& all = tasks_.AllTasks();
    // A task deleted while its balloon was up: the click has nothing to work on.
    const int found = FindTask(all, ReminderTaskId);
    if (found < 0)
        return;
    const TMyRec2 announced = all[static_cast<size_t>(found)];
    mainWindow_.ShowOrganizer();
    reminderPopup_.Announce(announced);
    reminderPopup_.exec();
    if (!reminderPopup_.EditRequested)
        return;

    taskEditor_.PrepareEdit(announced);
    taskEditor_.exec();
    if (taskEditor_.TaskGone) {
        mainWindow_.ReloadTaskList();
        return;
    }
    if (!taskEditor_.EditAccepted)
        return;
    // The popup and the editor ran their own event loops; the records' owner finds the task
    // again. The rows keep their places: the list is neither sorted nor filtered again.
    tasks_.EditFromReminder(announced.id, taskEditor_.Results(), taskEditor_.SavedCategory);
}

bool TReminderCheck::UsesTrayBalloons() const {
    return trayAvailable_ && QSystemTrayIcon::supportsMessages();
}

void TReminderCheck::ShowBalloon(const QString& fullTitle, const QString& fullText) {
    const QString title = BalloonPart(fullTitle, BalloonTitleLength);
    const QString text = BalloonPart(fullText, BalloonTextLength);
    if (UsesTrayBalloons()) {
        trayIcon_.showMessage(title, text, QSystemTrayIcon::Information, 10000);
        return;
    }
    if (!Balloon) {
        Balloon = new TBalloonWindow(window_);
        ConnectReporting(Balloon, &TBalloonWindow::clicked, window_,
                         [this] { TrayIcon1BalloonHintClick(); });
    }
    Balloon->ShowBalloon(title, text);
}

void TReminderCheck::HideBalloon() {
    if (Balloon)
        Balloon->hide();
    else if (UsesTrayBalloons())
        // A message without title and text takes the shown one down.
        trayIcon_.showMessage(QString(), QString(), QSystemTrayIcon::NoIcon, 1);
}
