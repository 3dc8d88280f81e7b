#include "app/Unit1.h"

#include "app/common/BalloonWindow.h"
#include "app/common/Reporting.h"
#include "app/common/Sound.h"
#include "editor/Unit17.h"
#include "reminders/Unit3.h"
#include "store/DmUnit.h"
#include "store/Reminders.h"
#include "store/dateUnit.h"
#include "store/funUnit.h"
#include "tasklist/Unit2.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSystemTrayIcon>
#include <QTimer>

// The reminder check: Timer3 scans the tasks for a due reminder every 10 s; an announced
// reminder shows a balloon that Timer4 takes down 10 s later, after which scanning goes on
// after the announced task.

void TForm1::CreateTimers() {
    Timer3 = new QTimer(this);
    Timer3->setObjectName("Timer3");
    Timer3->setInterval(10000);
    Timer4 = new QTimer(this);
    Timer4->setObjectName("Timer4");
    Timer4->setInterval(10000);
    ConnectReporting(Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);
    ConnectReporting(Timer4, &QTimer::timeout, this, &TForm1::Timer4Timer);
}

void TForm1::PauseReminderCheck() {
    Timer3->stop();
    Timer4->stop();
    HideBalloon();
}

void TForm1::ResumeReminderCheck() {
    Timer3->start();
}

void TForm1::StartReminderCheck() {
    if (reminderCheckStarted_)
        return;
    reminderCheckStarted_ = true;
    ReminderPos = -1;
    Timer3->start();
}

void TForm1::Timer3Timer() {
    Timer3->stop();
    const std::vector<TMyRec2>& tasks = Form2->AllTasks;
    const int k = FindDueTask(tasks, ReminderPos + 1, Now());
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

void TForm1::Timer4Timer() {
    Timer4->stop();
    HideBalloon();
    Timer3->start();
}

void TForm1::TrayIcon1BalloonHintClick() {
    const std::vector<TMyRec2>& all = Form2->AllTasks;
    // A task deleted while its balloon was up: the click has nothing to work on.
    const int found = FindTask(all, ReminderTaskId);
    if (found < 0)
        return;
    const TMyRec2 announced = all[static_cast<size_t>(found)];
    if (!MainShown)
        ShowOrganizer();
    Form3->TaskId = announced.id;
    Form3->Edit1->setText(QString::fromStdString(announced.strName));
    Form3->Memo1->setPlainText(QString::fromStdString(announced.strNote));
    Form3->exec();
    if (!Form3->EditRequested)
        return;

    Form17->PrepareEdit(announced);
    Form17->exec();
    if (Form17->TaskGone) {
        ReloadTaskList();
        return;
    }
    if (!Form17->EditAccepted)
        return;
    // The popup and the editor ran their own event loops; the records' owner finds the task
    // again. The rows keep their places: the list is neither sorted nor filtered again.
    Form2->Tasks().EditFromReminder(announced.id, Form17->Results(), Form17->SavedCategory);
}

bool TForm1::UsesTrayBalloons() const {
    return options_.trayAvailable && QSystemTrayIcon::supportsMessages();
}

void TForm1::ShowBalloon(const QString& fullTitle, const QString& fullText) {
    const QString title = BalloonPart(fullTitle, BalloonTitleLength);
    const QString text = BalloonPart(fullText, BalloonTextLength);
    if (UsesTrayBalloons()) {
        TrayIcon1->showMessage(title, text, QSystemTrayIcon::Information, 10000);
        return;
    }
    if (!Balloon) {
        Balloon = new TBalloonWindow(this);
        ConnectReporting(Balloon, &TBalloonWindow::clicked, this,
                         &TForm1::TrayIcon1BalloonHintClick);
    }
    Balloon->ShowBalloon(title, text);
}

void TForm1::HideBalloon() {
    if (Balloon)
        Balloon->hide();
    else if (UsesTrayBalloons())
        // A message without title and text takes the shown one down.
        TrayIcon1->showMessage(QString(), QString(), QSystemTrayIcon::NoIcon, 1);
}
