#include "reminders/Unit3.h"

#include "app/FrameController.h"
#include "app/GroupBox.h"
#include "app/Unit1.h"
#include "store/Reminders.h"
#include "store/TaskWrite.h"
#include "store/dateUnit.h"
#include "store/funUnit.h"
#include "tasklist/Unit2.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

const QStringList DelayTexts{"  5 minutes", "10 minutes", "15 minutes", "30 minutes",
                             " 1 hour",     " 2 hours",   " 3 hours",   " 6 hours",
                             " 9 hours",    "12 hours",   "24 hours"};

template <typename T> T* Place(T* widget, int x, int y, int width, int height) {
    widget->setGeometry(x, y, width, height);
    return widget;
}

} // namespace

TForm3::TForm3(TDM& dm, TForm1& mainWindow, QWidget* parent)
    : QDialog(parent), dm_(dm), main_(mainWindow) {
    FormCreate();
}

void TForm3::FormCreate() {
    setObjectName("Form3");
    setWindowTitle("Reminder");
    setFixedSize(292, 446);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowOpacity(245.0 / 255.0);
    Frame = new TFrameController(this, TFrameKind::Popup);

    QFont font("Arial");
    font.setPixelSize(11);
    setFont(font);

    Place(new QLabel("Task:", this), 16, 22, 100, 16);
    Edit1 = Place(new QLineEdit(this), 16, 40, 260, 21);
    Edit1->setReadOnly(true);
    Place(new QLabel("Note:", this), 16, 70, 100, 16);
    Memo1 = Place(new QPlainTextEdit(this), 16, 88, 260, 140);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    GroupBox1 = Place(new TGroupBox(" Operation ", this), 10, 240, 272, 150);
    RadioButton1 = Place(new QRadioButton("Reminder again after  ", GroupBox1), 8, 24, 150, 20);
    ComboBox1 = Place(new QComboBox(GroupBox1), 158, 23, 100, 21);
    ComboBox1->addItems(DelayTexts);
    RadioButton2 =
        Place(new QRadioButton("Cancel the task's reminder, don't remind again.", GroupBox1), 8, 56,
              262, 20);
    RadioButton3 = Place(new QRadioButton("The task had been done, not need to remind.", GroupBox1),
                         8, 86, 262, 20);
    RadioButton4 = Place(new QRadioButton("Edit the task.", GroupBox1), 8, 116, 262, 20);
    for (QRadioButton* choice : {RadioButton1, RadioButton2, RadioButton3, RadioButton4})
        connect(choice, &QRadioButton::clicked, this, &TForm3::RadioButton4Click);

    BitBtn1 = Place(new QPushButton("OK", this), 108, 404, 75, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
}

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
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
    FormClose();
}

void TForm3::FormClose() {
    main_.ResumeReminderCheck();
    EditRequested = false;
    TForm2& list = *main_.Form2;
    const int q = FindTask(list.AllTasks, TaskId);
    if (q < 0)
        return;
    TMyRec2* all = &list.AllTasks[static_cast<size_t>(q)];
    if (RadioButton4->isChecked()) {
        EditRequested = true;
        return;
    }
    const int r = FindTask(list.ShownTasks, TaskId);
    TMyRec2* shown = r < 0 ? nullptr : &list.ShownTasks[static_cast<size_t>(r)];
    // The file is written first: the records change only once the database took the change.
    if (RadioButton1->isChecked()) {
        const double when = Now() + ReminderDelay(ComboBox1->currentIndex());
        WriteReminderTime(dm_, TaskId, when);
        all->datetimeReminder = when;
        if (shown)
            shown->datetimeReminder = when;
    } else if (RadioButton2->isChecked()) {
        WriteReminderOff(dm_, TaskId);
        all->intReminder = 0;
        if (shown)
            shown->intReminder = 0;
    } else {
        WriteDoneMark(dm_, TaskId, 1);
        all->intDone = 1;
        if (shown)
            shown->intDone = 1;
    }
    if (shown)
        list.ReinitNode(r);
}
