// SPDX-License-Identifier: GPL-3.0-or-later

#include "reminders/ReminderCheck.h"

#include "editor/Unit17.h"
#include "reminders/DesktopNotifications.h"
#include "reminders/Unit3.h"
#include "store/DmUnit.h"
#include "store/dates/dateUnit.h"
#include "store/funUnit.h"
#include "store/records/Reminders.h"
#include "store/records/TaskArrays.h"
#include "uikit/Activation.h"
#include "uikit/BalloonWindow.h"
#include "uikit/MainWindowServices.h"
#include "uikit/Reporting.h"
#include "uikit/Sound.h"

#include <QSystemTrayIcon>
#include <QTimer>

namespace {

// What a reminder says of its task, the same in a balloon and in a notification.
QString ReminderBody(const TMyRec2& task) {
    return BalloonPart(QString::fromStdString(BalloonText(task.strNote)), BalloonTextLength);
}

} // namespace

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

void TReminderCheck::UseDesktopNotifications(TDesktopNotifications* notifications) {
    Notifications = notifications;
    Notifications->setParent(this);
    ConnectReporting(Notifications, &TDesktopNotifications::Clicked, window_,
                     [this](int32_t taskId, const QString& activationToken) {
                         OpenReminder(taskId, activationToken);
                     });
    ConnectReporting(
        Notifications, &TDesktopNotifications::SnoozeChosen, window_,
        [this](int32_t taskId) { AnswerFromNotification(taskId, TReminderChoice::Postpone); });
    ConnectReporting(
        Notifications, &TDesktopNotifications::DoneChosen, window_,
        [this](int32_t taskId) { AnswerFromNotification(taskId, TReminderChoice::MarkDone); });
    ConnectReporting(Notifications, &TDesktopNotifications::Failed, window_,
                     [this](int32_t taskId) { NotificationFailed(taskId); });
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
    CloseHandledNotifications();
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
    ShowReminder(task);
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
    OpenReminder(ReminderTaskId);
}

void TReminderCheck::OpenReminder(int32_t taskId, const QString& activationToken) {
    // A notification stays on the desktop and can be clicked while the popup or the editor is
    // open; neither can be opened a second time.
    if (reminderPopup_.isVisible() || taskEditor_.isVisible())
        return;
    OpenReminderPopup(taskId, activationToken);
    CloseHandledNotifications();
}

void TReminderCheck::OpenReminderPopup(int32_t taskId, const QString& activationToken) {
    const std::vector<TMyRec2>& all = tasks_.AllTasks();
    // A task deleted while its balloon was up: the click has nothing to work on.
    const int found = tasks_.PositionOfTask(taskId);
    if (found < 0)
        return;
    const TMyRec2 announced = all[static_cast<size_t>(found)];
    mainWindow_.ShowOrganizer();
    reminderPopup_.Announce(announced);
    // The popup asks to come forward once it is shown, within its own event loop.
    if (!activationToken.isEmpty())
        QTimer::singleShot(0, &reminderPopup_, [this, activationToken] {
            ActivateWithToken(&reminderPopup_, activationToken);
        });
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

void TReminderCheck::AnswerFromNotification(int32_t taskId, TReminderChoice choice) {
    CarryOutReminderChoice(tasks_, mainWindow_, window_, taskId, choice);
    CloseHandledNotifications();
}

void TReminderCheck::NotificationFailed(int32_t taskId) {
    // The announcement still up falls back on the balloon.
    if (!Timer4->isActive() || taskId != ReminderTaskId)
        return;
    if (const int found = tasks_.PositionOfTask(taskId); found >= 0)
        ShowBalloon(tasks_.AllTasks()[static_cast<size_t>(found)]);
}

void TReminderCheck::CloseHandledNotifications() {
    if (!Notifications)
        return;
    const std::vector<TMyRec2>& all = tasks_.AllTasks();
    const double now = Now();
    for (const int32_t taskId : Notifications->Shown()) {
        const int found = tasks_.PositionOfTask(taskId);
        if (found < 0 || !ReminderDue(all[static_cast<size_t>(found)], now))
            Notifications->Close(taskId);
    }
}

bool TReminderCheck::UsesDesktopNotifications() const {
    return Notifications && Notifications->Answers();
}

bool TReminderCheck::UsesTrayBalloons() const {
    return trayAvailable_ && QSystemTrayIcon::supportsMessages();
}

void TReminderCheck::ShowReminder(const TMyRec2& task) {
    if (!UsesDesktopNotifications()) {
        ShowBalloon(task);
        return;
    }
    Notifications->Notify(task.id, QString::fromStdString(task.strName), ReminderBody(task));
}

void TReminderCheck::ShowBalloon(const TMyRec2& task) {
    const QString title = BalloonPart(QString::fromStdString(task.strName), BalloonTitleLength);
    const QString text = ReminderBody(task);
    if (UsesTrayBalloons()) {
        trayIcon_.showMessage(title, text, QSystemTrayIcon::Information, 10000);
        trayBalloonUp_ = true;
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
    if (trayBalloonUp_)
        // A message without title and text takes the shown one down.
        trayIcon_.showMessage(QString(), QString(), QSystemTrayIcon::NoIcon, 1);
    trayBalloonUp_ = false;
}
