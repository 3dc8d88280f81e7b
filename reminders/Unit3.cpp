// SPDX-License-Identifier: GPL-3.0-or-later

#include "reminders/Unit3.h"

#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"
#include "store/funUnit.h"
#include "store/records/Reminders.h"
#include "store/records/TaskArrays.h"
#include "uikit/GroupBox.h"
#include "uikit/MainWindowServices.h"
#include "uikit/MessageBox.h"
#include "uikit/Reporting.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace {

const QStringList DelayTexts{"  5 minutes", "10 minutes", "15 minutes", "30 minutes",
                             " 1 hour",     " 2 hours",   " 3 hours",   " 6 hours",
                             " 9 hours",    "12 hours",   "24 hours"};

template <typename T> T* Place(T* widget, const char* name, int x, int y, int width, int height) {
    widget->setObjectName(name);
    widget->setGeometry(x, y, width, height);
    return widget;
}

} // namespace

TForm3::TForm3(TMainWindowServices& mainWindow, TTaskArrays& tasks, QWidget* parent)
    : TSkinnedDialog("Form3", TFrameKind::Popup, "Reminder", parent), main_(mainWindow),
      tasks_(tasks) {
    FormCreate();
}

void TForm3::FormCreate() {
    setFixedSize(292, 446);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowOpacity(245.0 / 255.0);

    Place(new QLabel("Task:", this), "Label1", 16, 22, 100, 16);
    Edit1 = Place(new QLineEdit(this), "Edit1", 16, 40, 260, 21);
    Edit1->setReadOnly(true);
    Place(new QLabel("Note:", this), "Label2", 16, 70, 100, 16);
    Memo1 = Place(new QPlainTextEdit(this), "Memo1", 16, 88, 260, 140);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    GroupBox1 = Place(new TGroupBox(" Operation ", this), "GroupBox1", 10, 240, 272, 150);
    RadioButton1 = Place(new QRadioButton("Reminder again after  ", GroupBox1), "RadioButton1", 8,
                         24, 150, 20);
    ComboBox1 = Place(new QComboBox(GroupBox1), "ComboBox1", 158, 23, 100, 21);
    ComboBox1->addItems(DelayTexts);
    RadioButton2 =
        Place(new QRadioButton("Cancel the task's reminder, don't remind again.", GroupBox1),
              "RadioButton2", 8, 56, 262, 20);
    RadioButton3 = Place(new QRadioButton("The task had been done, not need to remind.", GroupBox1),
                         "RadioButton3", 8, 86, 262, 20);
    RadioButton4 =
        Place(new QRadioButton("Edit the task.", GroupBox1), "RadioButton4", 8, 116, 262, 20);
    for (QRadioButton* choice : {RadioButton1, RadioButton2, RadioButton3, RadioButton4})
        ConnectReporting(choice, &QRadioButton::clicked, this, &TForm3::RadioButton4Click);

    BitBtn1 = Place(new QPushButton("OK", this), "BitBtn1", 108, 404, 75, 25);
    BitBtn1->setDefault(true);

    // A screen reader says each field's label, and the first choice without its spaces.
    Edit1->setAccessibleName("Task");
    Memo1->setAccessibleName("Note");
    Memo1->verticalScrollBar()->setAccessibleName("Note scroll bar");
    RadioButton1->setAccessibleName("Reminder again after");
    ComboBox1->setAccessibleName("Reminder again after");
    ConnectReporting(BitBtn1, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
}

void TForm3::Announce(const TMyRec2& task) {
    TaskId = task.id;
    Edit1->setText(QString::fromStdString(task.strName));
    Memo1->setPlainText(QString::fromStdString(task.strNote));
}

void TForm3::FormShow() {
    main_.PauseReminderCheck();
    RadioButton1->setChecked(true);
    ComboBox1->setEnabled(true);
    ComboBox1->setCurrentIndex(0);
    BitBtn1->setFocus();
}

void TForm3::RadioButton4Click() {
    ComboBox1->setEnabled(RadioButton1->isChecked());
}

void TForm3::BitBtn1Click() {
    close();
}

void TForm3::reject() {}

void TForm3::closeEvent(QCloseEvent* event) {
    // The popup goes away even when the database refuses the change, so that a failing file
    // can never trap the user in a window without a way out.
    event->accept();
    done(QDialog::Accepted);
}

void TForm3::FormClose() {
    main_.ResumeReminderCheck();
    EditRequested = false;
    // A task deleted while the popup was open has nothing left to change.
    if (FindTask(tasks_.AllTasks(), TaskId) < 0)
        return;
    try {
        if (RadioButton4->isChecked())
            EditRequested = true;
        else if (RadioButton1->isChecked())
            tasks_.PostponeReminder(TaskId, Now() + ReminderDelay(ComboBox1->currentIndex()));
        else if (RadioButton2->isChecked())
            tasks_.CancelReminder(TaskId);
        else
            tasks_.MarkDone(TaskId);
    } catch (const TaskGoneError& gone) {
        ShowErrorBox(this, QString::fromUtf8(gone.what()));
        main_.ReloadTaskList();
    }
}
