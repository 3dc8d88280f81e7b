// SPDX-License-Identifier: GPL-3.0-or-later

#include "editor/Unit17.h"

#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"
#include "store/records/TaskTable.h"
#include "uikit/DayCount.h"
#include "uikit/MainWindowServices.h"
#include "uikit/MessageBox.h"
#include "uikit/Reporting.h"
#include "uikit/Sound.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextDocument>
#include <QTimeEdit>
#include <QToolButton>

#include <cmath>

namespace {

// Sets a check box from code and runs its reaction exactly once, whether or not the box
// changes, so that the controls depending on it always follow.
template <typename Reaction> void SetChecked(QCheckBox* box, bool checked, Reaction reaction) {
    {
        const QSignalBlocker blocker(box);
        box->setChecked(checked);
    }
    reaction();
}

} // namespace

TForm17::TForm17(TDM& dm, TMainWindowServices& mainWindow, QWidget* parent)
    : TSkinnedDialog("Form17", TFrameKind::Dialog, "Add Task", parent), dm_(dm),
      mainWindow_(mainWindow) {
    FormCreate();
}

void TForm17::FormCreate() {
    setFixedSize(408, 481);
    CreateControls();
    NameControls();
    SetTabOrder();

    ConnectReporting(CheckBox1, &QCheckBox::toggled, this, &TForm17::CheckBox1Click);
    ConnectReporting(CheckBox2, &QCheckBox::toggled, this, &TForm17::CheckBox2Click);
    ConnectReporting(CheckBox3, &QCheckBox::toggled, this, &TForm17::CheckBox3Click);
    ConnectReporting(SpeedButton1, &QToolButton::clicked, this, &TForm17::SpeedButton1Click);
    ConnectReporting(BitBtn1, &QPushButton::clicked, this, &TForm17::BitBtn1Click);
    ConnectReporting(BitBtn2, &QPushButton::clicked, this, &TForm17::BitBtn2Click);
}

void TForm17::PrepareEdit(const TMyRec2& task) {
    TaskEditorMode = 0;
    EditTaskId = task.id;
    PresetCategory = task.intCategory;
    PresetSoundFile = task.strSoundFile;

    Edit1->setText(QString::fromStdString(task.strName));
    Memo1->setPlainText(QString::fromStdString(task.strNote));
    storedNote_ = task.strNote;
    shownNote_ = NoteText();
    ComboBox2->setCurrentIndex(task.intPriority);

    const double now = Now();
    const QDate tomorrow = DayCountToDate(std::trunc(now) + 1);
    if (task.intDue != 0)
        SetDueDate(true, DayCountToDate(task.dateDue));
    else
        SetDueDate(false, tomorrow);
    if (task.intReminder != 0) {
        SetReminder(true, DayCountToDate(task.datetimeReminder),
                    DayCountToTime(task.datetimeReminder));
        SetSound(task.intSound == 1);
    } else {
        SetReminder(false, tomorrow, DayCountToTime(now));
    }
}

TTaskEdit TForm17::Results() const {
    TTaskEdit task;
    task.strName = Edit1->text().toStdString();
    const int category = ComboBox1->currentIndex();
    if (category >= 0 && category < static_cast<int>(CategoryIds.size()))
        task.intCategory = CategoryIds[category];
    task.intPriority = ComboBox2->currentIndex();
    task.intDue = CheckBox1->isChecked() ? 1 : 0;
    task.dateDue = DateToDayCount(DateTimePicker1->date());
    task.intReminder = CheckBox2->isChecked() ? 1 : 0;
    task.datetimeReminder = DateTimeToDayCount(DateTimePicker3->date(), DateTimePicker2->time());
    task.intSound = CheckBox3->isChecked() ? 1 : 0;
    task.strSoundFile = ComboBox3->currentText().toStdString();
    const QString shown = NoteText();
    std::string note = shown.toStdString();
    if (TaskEditorMode != 1 && shown == shownNote_) {
        note = storedNote_;
    } else if (TaskEditorMode != 1 && storedNote_.find("\r\n") != std::string::npos) {
        // An edited note keeps the line ends it was stored with.
        note = shown.split(u'\n').join("\r\n").toStdString();
    }
    if (!IsBlank(note))
        task.strNote = note;
    return task;
}

void TForm17::setVisible(bool visible) {
    QDialog::setVisible(visible);
    // The caret goes after the name's last character only now: showing a dialog gives its
    // focus widget a focus-in as if by Tab, on which a text box selects all of its text.
    if (visible)
        Edit1->end(false);
}

void TForm17::FormShow() {
    mainWindow_.PauseReminderCheck();
    EditAccepted = false;
    TaskGone = false;
    SavedCategory.reset();
    if (TaskEditorMode != 1) {
        Frame->SetTitle("Edit Task");
        setWindowTitle("Edit Task");
        FillCategories();
        FillSounds();
        SelectCategory(PresetCategory);
        const bool hasSound = !PresetSoundFile.empty();
        ComboBox3->setEnabled(hasSound);
        SpeedButton1->setEnabled(hasSound);
        if (hasSound)
            ComboBox3->setCurrentIndex(
                ComboBox3->findText(QString::fromStdString(PresetSoundFile)));
        // setVisible puts the caret after the name's last character.
        Edit1->setFocus();
        return;
    }

    Frame->SetTitle("Add Task");
    setWindowTitle("Add Task");
    FillCategories();
    if (ComboBox1->count() > 0)
        ComboBox1->setCurrentIndex(0);
    if (mainWindow_.CategoryShown() > 0)
        SelectCategory(mainWindow_.CategoryShown());
    FillSounds();
    ComboBox2->setCurrentIndex(1);
    Edit1->clear();
    Memo1->clear();
    const double now = Now();
    const QDate tomorrow = DayCountToDate(std::trunc(now) + 1);
    SetDueDate(false, tomorrow);
    SetReminder(false, tomorrow, DayCountToTime(now));
    Edit1->setFocus();
}

int TForm17::exec() {
    try {
        ReadCategories();
    } catch (...) {
        EditAccepted = false;
        ShowCaughtError(parentWidget() ? parentWidget()->window() : nullptr);
        return QDialog::Rejected;
    }
    return QDialog::exec();
}

void TForm17::ReadCategories() {
    categories_ = LoadCategories(dm_);
}

void TForm17::FillCategories() {
    if (!categories_)
        ReadCategories();
    const std::vector<TMyRec1> categories = std::move(*categories_);
    categories_.reset();
    CategoryIds.clear();
    ComboBox1->clear();
    for (const TMyRec1& category : categories) {
        ComboBox1->addItem(QString::fromStdString(category.strName));
        CategoryIds.push_back(category.id);
    }
    // The list selects its first entry by itself as it fills; the show decides instead.
    ComboBox1->setCurrentIndex(-1);
}

void TForm17::FillSounds() {
    ComboBox3->clear();
    const QFileInfoList entries =
        QDir(QString::fromStdString(dm_.SoundFolder()))
            .entryInfoList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries)
        if (entry.fileName().endsWith(".wav", Qt::CaseInsensitive))
            ComboBox3->addItem(entry.fileName());
    ComboBox3->setCurrentIndex(-1);
}

// Selects the first entry of the category; leaves the selection alone when there is none.
void TForm17::SelectCategory(int32_t id) {
    for (size_t k = 0; k < CategoryIds.size(); ++k) {
        if (CategoryIds[k] == id) {
            ComboBox1->setCurrentIndex(static_cast<int>(k));
            return;
        }
    }
}

void TForm17::SetDueDate(bool on, const QDate& date) {
    DateTimePicker1->setDate(date);
    SetChecked(CheckBox1, on, [this] { CheckBox1Click(); });
}

void TForm17::SetReminder(bool on, const QDate& date, const QTime& time) {
    DateTimePicker2->setTime(time);
    DateTimePicker3->setDate(date);
    SetChecked(CheckBox2, on, [this] { CheckBox2Click(); });
}

void TForm17::SetSound(bool on) {
    SetChecked(CheckBox3, on, [this] { CheckBox3Click(); });
}

void TForm17::CheckBox1Click() {
    DateTimePicker1->setEnabled(CheckBox1->isChecked());
}

void TForm17::CheckBox2Click() {
    const bool on = CheckBox2->isChecked();
    DateTimePicker2->setEnabled(on);
    DateTimePicker3->setEnabled(on);
    CheckBox3->setEnabled(on);
    if (!on)
        SetSound(false);
}

void TForm17::CheckBox3Click() {
    const bool on = CheckBox3->isChecked();
    ComboBox3->setEnabled(on);
    ComboBox3->setCurrentIndex(on ? 0 : -1);
    SpeedButton1->setEnabled(on);
}

void TForm17::SpeedButton1Click() {
    PlaySoundFile(QString::fromStdString(dm_.SoundFile(ComboBox3->currentText().toStdString())));
}

QString TForm17::NoteText() const {
    // The raw text keeps non-breaking spaces as typed; only the line breaks need translating.
    QString text = Memo1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

void TForm17::BitBtn1Click() {
    if (IsBlank(Edit1->text().toStdString())) {
        ShowErrorBox(this, "Error, Task can not be empty!");
        Edit1->setFocus();
        return;
    }
    // A task always belongs to a category, so without one there is nothing to save it under.
    if (ComboBox1->count() == 0) {
        ShowErrorBox(this, "Error, please add a category first!");
        return;
    }
    if (ComboBox1->currentIndex() < 0) {
        ShowErrorBox(this, "Error, please choose a category!");
        ComboBox1->setFocus();
        return;
    }
    // The store writes the task and its note together or not at all; when it throws, the
    // editor stays open with the user's input and EditAccepted stays false.
    const TTaskEdit task = Results();
    if (TaskEditorMode == 1) {
        EditTaskId = InsertTask(dm_, task, &SavedCategory);
    } else {
        try {
            UpdateTask(dm_, EditTaskId, task, &SavedCategory);
        } catch (const TaskGoneError& gone) {
            // Nothing is left to save the input to: say so and let the list show the file.
            ShowErrorBox(this, QString::fromUtf8(gone.what()));
            TaskGone = true;
            reject();
            return;
        }
    }
    EditAccepted = true;
    accept();
}

void TForm17::BitBtn2Click() {
    close();
}

void TForm17::FormClose() {
    mainWindow_.ResumeReminderCheck();
}
