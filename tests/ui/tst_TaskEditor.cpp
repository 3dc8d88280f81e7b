// SPDX-License-Identifier: GPL-3.0-or-later

// The task editor in add mode: its window, keyboard order, defaults, check box reactions,
// sound list, cancelling and what "OK" writes.

#include "app/Application.h"
#include "tests/ui/TaskEditorRig.h"
#include "uikit/DayCount.h"
#include "uikit/FrameController.h"
#include "uikit/MyImage.h"
#include "uikit/Sound.h"

#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"

#include <QGroupBox>
#include <QLabel>
#include <QSoundEffect>

namespace {

const double Tomorrow = EncodeDate(2007, 3, 15);
const double TimeOfFixedNow = (10 * 3600 + 15 * 60 + 30) / 86400.0;

// The first and last rows, between rows 12 and 50, where a column of the picture differs from
// the background above them.
std::pair<int, int> DrawnRows(const QImage& image, int x) {
    const QRgb background = image.pixel(x, 12);
    int first = -1;
    int last = -1;
    for (int y = 12; y < 50; ++y)
        if (image.pixel(x, y) != background) {
            first = first < 0 ? y : first;
            last = y;
        }
    return {first, last};
}

} // namespace

class TestTaskEditor : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TEditorRig> rig_;
    TForm17* editor_ = nullptr;

    int LastTaskId() const { return Scalar(rig_->Db(), "SELECT MAX(id) FROM t_task").toInt(); }

    void TypeNote(const QString& text) const {
        const QStringList lines = text.split('\n');
        for (int k = 0; k < lines.size(); ++k) {
            if (k > 0)
                QTest::keyClick(Memo1(*editor_), Qt::Key_Return);
            QTest::keyClicks(Memo1(*editor_), lines[k]);
        }
    }

private slots:
    void init() {
        rig_ = std::make_unique<TEditorRig>();
        editor_ = rig_->editor;
    }
    void cleanup() {
        VerifyCleanEnd();
        editor_ = nullptr;
        rig_.reset();
    }

    void windowAndControlsHaveTheirDesignedPlaces() {
        rig_->ShowAdd();
        QCOMPARE(editor_->size(), QSize(408, 481));
        QCOMPARE(editor_->palette().color(QPalette::Window), QColor(236, 233, 216));
        QCOMPARE(editor_->Frame->Label1()->text(), QString("Add Task"));
        QCOMPARE(editor_->Frame->Label1()->pos(), QPoint(14, 14));
        QCOMPARE(editor_->Frame->Image_Close()->pos(), QPoint(408 - 28, 12));

        QCOMPARE(Label2(*editor_)->pos(), QPoint(27, 56));
        QCOMPARE(Label2(*editor_)->text(), QString("Task:"));
        QCOMPARE(Edit1(*editor_)->geometry(), QRect(27, 76, 200, 21));
        QCOMPARE(Label3(*editor_)->pos(), QPoint(236, 56));
        QCOMPARE(Label3(*editor_)->text(), QString("Category:"));
        QCOMPARE(ComboBox1(*editor_)->geometry(), QRect(236, 76, 145, 21));
        QVERIFY(!ComboBox1(*editor_)->isEditable());
        QCOMPARE(Label4(*editor_)->pos(), QPoint(27, 108));
        QCOMPARE(Label4(*editor_)->text(), QString("Note:"));
        QCOMPARE(Memo1(*editor_)->geometry(), QRect(27, 128, 353, 100));
        QCOMPARE(Memo1(*editor_)->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(Label5(*editor_)->pos(), QPoint(27, 240));
        QCOMPARE(Label5(*editor_)->text(), QString("Priority:"));
        QCOMPARE(ComboBox2(*editor_)->geometry(), QRect(27, 260, 145, 21));
        QCOMPARE(ComboBox2(*editor_)->count(), 2);
        QCOMPARE(ComboBox2(*editor_)->itemText(0), QString("High"));
        QCOMPARE(ComboBox2(*editor_)->itemText(1), QString("Normal"));
        QCOMPARE(CheckBox1(*editor_)->pos(), QPoint(181, 240));
        QCOMPARE(CheckBox1(*editor_)->text(), QString("Due Date:"));
        QCOMPARE(DateTimePicker1(*editor_)->geometry(), QRect(181, 260, 200, 21));
        QVERIFY(DateTimePicker1(*editor_)->calendarPopup());
        QCOMPARE(DateTimePicker1(*editor_)->displayFormat(), QString("yyyy-MM-dd"));

        QCOMPARE(GroupBox1(*editor_)->geometry(), QRect(27, 299, 353, 91));
        QCOMPARE(GroupBox1(*editor_)->title(), QString(" Remainder "));
        QCOMPARE(CheckBox2(*editor_)->parentWidget(), GroupBox1(*editor_));
        QCOMPARE(CheckBox2(*editor_)->pos(), QPoint(11, 24));
        QCOMPARE(CheckBox2(*editor_)->text(), QString("Reminder:"));
        QCOMPARE(DateTimePicker2(*editor_)->x(), 84);
        QCOMPARE(DateTimePicker2(*editor_)->width(), 115);
        // Both pickers of the row are drawn from row 22 to row 42 of the group.
        const QImage group = GroupBox1(*editor_)->grab().toImage();
        QCOMPARE(DrawnRows(group, 84 + 50), (std::pair{22, 42}));
        QCOMPARE(DrawnRows(group, 208 + 50), (std::pair{22, 42}));
        QCOMPARE(DateTimePicker3(*editor_)->geometry(), QRect(208, 22, 128, 21));
        QVERIFY(DateTimePicker3(*editor_)->calendarPopup());
        QCOMPARE(DateTimePicker3(*editor_)->displayFormat(), QString("yyyy-MM-dd"));
        QCOMPARE(CheckBox3(*editor_)->pos(), QPoint(11, 55));
        QCOMPARE(CheckBox3(*editor_)->text(), QString("Sound:"));
        QCOMPARE(ComboBox3(*editor_)->geometry(), QRect(84, 53, 115, 21));
        QCOMPARE(SpeedButton1(*editor_)->geometry(), QRect(208, 52, 23, 22));
        QVERIFY(!SpeedButton1(*editor_)->icon().isNull());

        QCOMPARE(BitBtn1(*editor_)->geometry(), QRect(128, 416, 75, 25));
        QCOMPARE(BitBtn1(*editor_)->text(), QString("OK"));
        QVERIFY(BitBtn1(*editor_)->isDefault());
        QCOMPARE(BitBtn2(*editor_)->geometry(), QRect(216, 416, 75, 25));
        QCOMPARE(BitBtn2(*editor_)->text(), QString("Cancel"));
        // The check boxes in the group end before the pickers beside them.
        for (QCheckBox* box : {CheckBox2(*editor_), CheckBox3(*editor_)})
            QVERIFY2(box->geometry().right() < 84, qPrintable(box->text()));
    }

    void tabWalksTheControlsInTheirDesignedOrder() {
        rig_->MakeSounds({"alarm.wav"});
        rig_->ShowAdd();
        // Every control takes part in the walk only when it is enabled.
        rig_->Click(CheckBox1(*editor_));
        rig_->Click(CheckBox2(*editor_));
        rig_->Click(CheckBox3(*editor_));
        Edit1(*editor_)->setFocus();
        const QList<QWidget*> expected = {ComboBox1(*editor_),
                                          Memo1(*editor_),
                                          ComboBox2(*editor_),
                                          CheckBox1(*editor_),
                                          DateTimePicker1(*editor_),
                                          CheckBox2(*editor_),
                                          DateTimePicker2(*editor_),
                                          DateTimePicker3(*editor_),
                                          CheckBox3(*editor_),
                                          ComboBox3(*editor_),
                                          BitBtn1(*editor_),
                                          BitBtn2(*editor_),
                                          Edit1(*editor_)};
        QList<QWidget*> walked;
        for (int k = 0; k < expected.size(); ++k) {
            QTest::keyClick(editor_->focusWidget(), Qt::Key_Tab);
            walked << editor_->focusWidget();
        }
        QCOMPARE(walked, expected);
        QCOMPARE(Memo1(*editor_)->toPlainText(), QString());
    }

    void showPausesTheReminderCheckAndCloseResumesIt() {
        QVERIFY(rig_->main->Reminders->Timer3->isActive());
        rig_->main->Reminders->Timer4->start();
        rig_->ShowAdd();
        QVERIFY(!rig_->main->Reminders->Timer3->isActive());
        QVERIFY(!rig_->main->Reminders->Timer4->isActive());
        editor_->BitBtn2Click();
        QVERIFY(!editor_->isVisible());
        QVERIFY(rig_->main->Reminders->Timer3->isActive());
        QVERIFY(!rig_->main->Reminders->Timer4->isActive());
    }

    void addResetsEveryControl() {
        Exec(rig_->Db(), "INSERT INTO t_task (id, strName, intCategory) VALUES (1, 'old', 2)");
        TMyRec2 old;
        old.id = 1;
        old.strName = "old";
        old.intPriority = 0;
        old.strNote = "old note";
        old.intDue = 1;
        old.dateDue = EncodeDate(2010, 1, 2);
        old.intReminder = 1;
        old.datetimeReminder = EncodeDate(2010, 1, 3) + 0.5;
        old.intSound = 1;
        rig_->ShowEdit(old);
        editor_->BitBtn2Click();

        rig_->ShowAdd();
        QCOMPARE(editor_->Frame->Label1()->text(), QString("Add Task"));
        QCOMPARE(Edit1(*editor_)->text(), QString());
        QCOMPARE(Memo1(*editor_)->toPlainText(), QString());
        QCOMPARE(ComboBox2(*editor_)->currentText(), QString("Normal"));
        QVERIFY(!CheckBox1(*editor_)->isChecked());
        QVERIFY(!DateTimePicker1(*editor_)->isEnabled());
        QCOMPARE(DateTimePicker1(*editor_)->date(), QDate(2007, 3, 15));
        QVERIFY(!CheckBox2(*editor_)->isChecked());
        QVERIFY(!DateTimePicker2(*editor_)->isEnabled());
        QVERIFY(!DateTimePicker3(*editor_)->isEnabled());
        QCOMPARE(DateTimePicker2(*editor_)->time(), QTime(10, 15, 30));
        QCOMPARE(DateTimePicker3(*editor_)->date(), QDate(2007, 3, 15));
        QVERIFY(!CheckBox3(*editor_)->isChecked());
        QVERIFY(!CheckBox3(*editor_)->isEnabled());
        QVERIFY(!ComboBox3(*editor_)->isEnabled());
        QCOMPARE(ComboBox3(*editor_)->currentIndex(), -1);
        QVERIFY(!SpeedButton1(*editor_)->isEnabled());
        QCOMPARE(editor_->focusWidget(), Edit1(*editor_));
        QVERIFY(!editor_->EditAccepted);
    }

    void addWithAllCategoriesShownPreselectsTheFirstByPosition() {
        Exec(rig_->Db(), "UPDATE t_category SET intPos = 4 - id");
        rig_->main->ShownCategory = 0;
        rig_->ShowAdd();
        QCOMPARE(ComboBox1(*editor_)->count(), 3);
        QCOMPARE(ComboBox1(*editor_)->itemText(0), QString("Shopping"));
        QCOMPARE(ComboBox1(*editor_)->itemText(2), QString("Personal"));
        QCOMPARE(editor_->CategoryIds, (std::vector<int32_t>{3, 2, 1}));
        QCOMPARE(ComboBox1(*editor_)->currentText(), QString("Shopping"));
        rig_->TypeName("buy milk");
        rig_->ClickOk();
        QVERIFY(editor_->EditAccepted);
        QVERIFY(!editor_->isVisible());
        QCOMPARE(editor_->EditTaskId, LastTaskId());
        QCOMPARE(rig_->Task(editor_->EditTaskId, "intCategory").toInt(), 3);
    }

    void addWithACategoryShownPreselectsIt() {
        rig_->main->ShownCategory = 2;
        rig_->ShowAdd();
        QCOMPARE(ComboBox1(*editor_)->currentText(), QString("Work"));
        rig_->TypeName("report");
        rig_->ClickOk();
        QVERIFY(editor_->EditAccepted);
        const int id = editor_->EditTaskId;
        QCOMPARE(rig_->Task(id, "strName").toString(), QString("report"));
        QCOMPARE(rig_->Task(id, "intCategory").toInt(), 2);
        QCOMPARE(rig_->Task(id, "intPriority").toInt(), 1);
        QCOMPARE(rig_->Task(id, "intDone").toInt(), 0);
        QCOMPARE(rig_->Task(id, "intMemo").toInt(), 0);
    }

    void addWithANoteWritesItAsTyped() {
        rig_->ShowAdd();
        rig_->TypeName("call");
        TypeNote("  first line  \n\n  third line ");
        rig_->ClickOk();
        QVERIFY(editor_->EditAccepted);
        const int id = editor_->EditTaskId;
        QCOMPARE(rig_->Task(id, "intMemo").toInt(), 1);
        QCOMPARE(rig_->NoteOf(id).toString(), QString("  first line  \n\n  third line "));
        QCOMPARE(RowCount(rig_->Db(), "t_note"), 1);
    }

    void addWithABlankNoteWritesNoNote() {
        rig_->ShowAdd();
        rig_->TypeName("call");
        TypeNote("   \n  \n");
        QVERIFY(!editor_->Results().strNote.has_value());
        rig_->ClickOk();
        QVERIFY(editor_->EditAccepted);
        QCOMPARE(rig_->Task(editor_->EditTaskId, "intMemo").toInt(), 0);
        QCOMPARE(RowCount(rig_->Db(), "t_note"), 0);
    }

    void aNameOfOnlySpacesIsRefused() {
        rig_->ShowAdd();
        rig_->TypeName("   ");
        TypeNote("kept");
        ComboBox2(*editor_)->setFocus();
        QueueMessageBoxAnswer(QMessageBox::Ok);
        rig_->ClickOk();
        QCOMPARE(ShownMessageBoxes(), QStringList{"Error: Error, Task can not be empty!"});
        QVERIFY(editor_->isVisible());
        QVERIFY(!editor_->EditAccepted);
        QCOMPARE(editor_->focusWidget(), Edit1(*editor_));
        QCOMPARE(Edit1(*editor_)->text(), QString("   "));
        QCOMPARE(Memo1(*editor_)->toPlainText(), QString("kept"));
        QCOMPARE(RowCount(rig_->Db(), "t_task"), 0);
        QCOMPARE(RowCount(rig_->Db(), "t_note"), 0);
    }

    void aNameWithSpacesAroundIsSavedTrimmed() {
        rig_->ShowAdd();
        rig_->TypeName("  pay rent \t ");
        rig_->ClickOk();
        QVERIFY(editor_->EditAccepted);
        QCOMPARE(rig_->Task(editor_->EditTaskId, "strName").toString(), QString("pay rent"));
    }

    void dueDateFollowsItsCheckBoxAndIsStoredEvenWhenOff() {
        rig_->ShowAdd();
        rig_->Click(CheckBox1(*editor_));
        QVERIFY(DateTimePicker1(*editor_)->isEnabled());
        rig_->Click(CheckBox1(*editor_));
        QVERIFY(!DateTimePicker1(*editor_)->isEnabled());
        rig_->TypeName("later");
        rig_->ClickOk();
        const int id = editor_->EditTaskId;
        QCOMPARE(rig_->Task(id, "intDue").toInt(), 0);
        QCOMPARE(rig_->Task(id, "dateDue").toDouble(), Tomorrow);
        QCOMPARE(rig_->Task(id, "intReminder").toInt(), 0);
        QCOMPARE(rig_->Task(id, "datetimeReminder").toDouble(), Tomorrow + TimeOfFixedNow);
    }

    void dueDateCheckedIsSaved() {
        rig_->ShowAdd();
        rig_->Click(CheckBox1(*editor_));
        DateTimePicker1(*editor_)->setDate(QDate(2008, 2, 29));
        rig_->TypeName("leap");
        rig_->ClickOk();
        QCOMPARE(rig_->Task(editor_->EditTaskId, "intDue").toInt(), 1);
        QCOMPARE(rig_->Task(editor_->EditTaskId, "dateDue").toDouble(), EncodeDate(2008, 2, 29));
    }

    void reminderDateTimeIsTheDayOfOnePickerAndTheTimeOfTheOther() {
        rig_->ShowAdd();
        rig_->Click(CheckBox2(*editor_));
        QVERIFY(DateTimePicker2(*editor_)->isEnabled());
        QVERIFY(DateTimePicker3(*editor_)->isEnabled());
        QVERIFY(CheckBox3(*editor_)->isEnabled());
        QVERIFY(!ComboBox3(*editor_)->isEnabled());
        DateTimePicker3(*editor_)->setDate(QDate(2007, 3, 15));
        DateTimePicker2(*editor_)->setTime(QTime(14, 30));
        rig_->TypeName("meeting");
        rig_->ClickOk();
        const int id = editor_->EditTaskId;
        QCOMPARE(rig_->Task(id, "intReminder").toInt(), 1);
        QCOMPARE(rig_->Task(id, "datetimeReminder").toDouble(),
                 EncodeDate(2007, 3, 15) + 14.5 / 24.0);
    }

    void soundFollowsItsCheckBoxAndUncheckingReminderClearsIt() {
        rig_->MakeSounds({"alarm.wav", "BELL.WAV"});
        rig_->ShowAdd();
        rig_->Click(CheckBox2(*editor_));
        rig_->Click(CheckBox3(*editor_));
        QVERIFY(ComboBox3(*editor_)->isEnabled());
        QVERIFY(SpeedButton1(*editor_)->isEnabled());
        QCOMPARE(ComboBox3(*editor_)->currentText(), QString("alarm.wav"));
        ComboBox3(*editor_)->setCurrentIndex(1);
        QCOMPARE(editor_->Results().strSoundFile, std::string("BELL.WAV"));

        rig_->Click(CheckBox3(*editor_));
        QVERIFY(!ComboBox3(*editor_)->isEnabled());
        QCOMPARE(ComboBox3(*editor_)->currentIndex(), -1);
        QVERIFY(!SpeedButton1(*editor_)->isEnabled());
        rig_->Click(CheckBox3(*editor_));
        QCOMPARE(ComboBox3(*editor_)->currentText(), QString("alarm.wav"));

        rig_->Click(CheckBox2(*editor_));
        QVERIFY(!CheckBox3(*editor_)->isChecked());
        QVERIFY(!CheckBox3(*editor_)->isEnabled());
        QVERIFY(!ComboBox3(*editor_)->isEnabled());
        QCOMPARE(ComboBox3(*editor_)->currentIndex(), -1);
        QVERIFY(!SpeedButton1(*editor_)->isEnabled());
        QVERIFY(!DateTimePicker2(*editor_)->isEnabled());
        QVERIFY(!DateTimePicker3(*editor_)->isEnabled());
        rig_->TypeName("quiet");
        rig_->ClickOk();
        const int id = editor_->EditTaskId;
        QCOMPARE(rig_->Task(id, "intSound").toInt(), 0);
        QCOMPARE(rig_->Task(id, "strSoundFile").toString(), QString());
    }

    void checkingFromCodeRunsTheSameReaction() {
        rig_->MakeSounds({"alarm.wav"});
        rig_->ShowAdd();
        CheckBox2(*editor_)->setChecked(true);
        QVERIFY(CheckBox3(*editor_)->isEnabled());
        CheckBox3(*editor_)->setChecked(true);
        QCOMPARE(ComboBox3(*editor_)->currentText(), QString("alarm.wav"));
        CheckBox2(*editor_)->setChecked(false);
        QVERIFY(!CheckBox3(*editor_)->isChecked());
        QCOMPARE(ComboBox3(*editor_)->currentIndex(), -1);
        CheckBox1(*editor_)->setChecked(true);
        QVERIFY(DateTimePicker1(*editor_)->isEnabled());
    }

    void soundListHoldsTheWavFilesOfAnyCase() {
        rig_->MakeSounds({"tune.mp3", "BELL.WAV", "alarm.wav", "folder.wav/", "wav"});
        rig_->ShowAdd();
        QStringList items;
        for (int k = 0; k < ComboBox3(*editor_)->count(); ++k)
            items << ComboBox3(*editor_)->itemText(k);
        QCOMPARE(items, (QStringList{"alarm.wav", "BELL.WAV"}));
        QCOMPARE(ComboBox3(*editor_)->currentIndex(), -1);

        // The list is read again at every show.
        editor_->BitBtn2Click();
        rig_->MakeSounds({"chime.Wav"});
        rig_->ShowAdd();
        QCOMPARE(ComboBox3(*editor_)->count(), 3);
        QCOMPARE(ComboBox3(*editor_)->itemText(2), QString("chime.Wav"));
    }

    void soundWithoutSoundFolderSelectsNothing() {
        rig_->ShowAdd();
        QCOMPARE(ComboBox3(*editor_)->count(), 0);
        rig_->Click(CheckBox2(*editor_));
        rig_->Click(CheckBox3(*editor_));
        QVERIFY(ComboBox3(*editor_)->isEnabled());
        QCOMPARE(ComboBox3(*editor_)->currentIndex(), -1);
        rig_->TypeName("silent");
        rig_->ClickOk();
        QCOMPARE(rig_->Task(editor_->EditTaskId, "intSound").toInt(), 1);
        QCOMPARE(rig_->Task(editor_->EditTaskId, "strSoundFile").toString(), QString());
    }

    void playLoadsTheChosenSoundAndNeverReports() {
        rig_->MakeSounds({"alarm.wav", "empty.wav"});
        const QString path = QDir(rig_->home.Path()).filePath("sound/alarm.wav");
        WriteWave(path);
        rig_->ShowAdd();
        rig_->Click(CheckBox2(*editor_));
        rig_->Click(CheckBox3(*editor_));
        QTest::mouseClick(SpeedButton1(*editor_), Qt::LeftButton);
        QCOMPARE(SoundPlayer().source(), QUrl::fromLocalFile(path));

        // A file too short to be a WAV file never reaches the player: it would never finish
        // loading and hold up the next sound.
        ComboBox3(*editor_)->setCurrentText("empty.wav");
        QTest::mouseClick(SpeedButton1(*editor_), Qt::LeftButton);
        QCOMPARE(SoundPlayer().source(), QUrl::fromLocalFile(path));

        QFile::remove(path);
        QTest::mouseClick(SpeedButton1(*editor_), Qt::LeftButton);
        QVERIFY(ShownMessageBoxes().isEmpty());
        QVERIFY(editor_->isVisible());
    }

    void cancellingWritesNothing_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("Cancel") << "Cancel";
        QTest::newRow("Esc") << "Esc";
        QTest::newRow("close picture") << "close picture";
        QTest::newRow("main window's request") << "request";
    }
    void cancellingWritesNothing() {
        QFETCH(QString, way);
        rig_->ShowAdd();
        rig_->TypeName("never");
        TypeNote("saved");
        if (way == "Cancel")
            QTest::mouseClick(BitBtn2(*editor_), Qt::LeftButton);
        else if (way == "Esc")
            QTest::keyClick(Edit1(*editor_), Qt::Key_Escape);
        else if (way == "close picture")
            QTest::mouseClick(editor_->Frame->Image_Close(), Qt::LeftButton);
        else {
            rig_->main->WMCloseEditor(1);
            QVERIFY(editor_->isVisible());
            rig_->main->WMCloseEditor(0);
        }
        QVERIFY(!editor_->isVisible());
        QCOMPARE(editor_->result(), int(QDialog::Rejected));
        QVERIFY(!editor_->EditAccepted);
        QVERIFY(rig_->main->Reminders->Timer3->isActive());
        QCOMPARE(RowCount(rig_->Db(), "t_task"), 0);
        QCOMPARE(RowCount(rig_->Db(), "t_note"), 0);
    }

    void enterInTheNameBoxSaves() {
        rig_->ShowAdd();
        rig_->TypeName("quick");
        QTest::keyClick(Edit1(*editor_), Qt::Key_Return);
        QVERIFY(editor_->EditAccepted);
        QCOMPARE(rig_->Task(editor_->EditTaskId, "strName").toString(), QString("quick"));
    }

    void withoutCategoriesTheSaveIsRefused() {
        Exec(rig_->Db(), "DELETE FROM t_category");
        rig_->ShowAdd();
        QCOMPARE(ComboBox1(*editor_)->count(), 0);
        QVERIFY(editor_->CategoryIds.empty());
        rig_->TypeName("orphan");
        QueueMessageBoxAnswer(QMessageBox::Ok);
        rig_->ClickOk();
        QCOMPARE(ShownMessageBoxes(), QStringList{"Error: Error, please add a category first!"});
        QVERIFY(editor_->isVisible());
        QVERIFY(!editor_->EditAccepted);
        QCOMPARE(RowCount(rig_->Db(), "t_task"), 0);
    }

    void modalRunReturnsAcceptedAfterOk() {
        editor_->TaskEditorMode = 1;
        QTimer::singleShot(0, editor_, [this] {
            QVERIFY(editor_->isModal());
            QVERIFY(!rig_->main->Reminders->Timer3->isActive());
            rig_->TypeName("modal");
            rig_->ClickOk();
            // Whatever happened, the modal run must end.
            if (editor_->isVisible())
                editor_->reject();
        });
        QCOMPARE(editor_->exec(), int(QDialog::Accepted));
        QVERIFY(editor_->EditAccepted);
        QVERIFY(rig_->main->Reminders->Timer3->isActive());
        QCOMPARE(rig_->Task(editor_->EditTaskId, "strName").toString(), QString("modal"));
    }

    void dayCountsConvertToTheMillisecond() {
        const double value = EncodeDate(2007, 3, 15) + 14.5 / 24.0 + 0.25 / 86400.0;
        QCOMPARE(DayCountToDate(value), QDate(2007, 3, 15));
        QCOMPARE(DayCountToTime(value), QTime(14, 30, 0, 250));
        QCOMPARE(DayCountToDateTime(value), QDateTime(QDate(2007, 3, 15), QTime(14, 30, 0, 250)));
        QCOMPARE(DateTimeToDayCount(QDate(2007, 3, 15), QTime(14, 30, 0, 250)), value);
        QCOMPARE(DateTimeToDayCount(DayCountToDateTime(value)), value);
        QCOMPARE(DateToDayCount(QDate(1899, 12, 30)), 0.0);
        // A time a hair before midnight rounds to the next day.
        QCOMPARE(DayCountToDateTime(EncodeDate(2007, 3, 15) + 0.9999999999),
                 QDateTime(QDate(2007, 3, 16), QTime(0, 0)));
        // Before the first day the fraction still counts forward from midnight.
        QCOMPARE(DayCountToDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
        QCOMPARE(DateTimeToDayCount(QDate(1899, 12, 29), QTime(6, 0)), -1.25);
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestTaskEditor test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_TaskEditor.moc"
