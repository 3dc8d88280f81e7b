// SPDX-License-Identifier: GPL-3.0-or-later

// The task editor in edit mode, saves that fail, and text of every script and length.

#include "app/Application.h"
#include "store/records/TaskTable.h"
#include "tests/ui/TaskEditorRig.h"
#include "uikit/FrameController.h"

#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"

#include <QCryptographicHash>
#include <QInputMethodEvent>
#include <QLabel>

#include <algorithm>

namespace {

// Text arrives as an input method commits it, the way Chinese or Arabic is typed.
void Commit(QWidget* widget, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

QByteArray FileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestTaskEditorEdit : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TEditorRig> rig_;
    TForm17* editor_ = nullptr;

    // Task 5 "water plants" of category 2, done, with due date, reminder, sound and a note.
    TMyRec2 StoredTask() const {
        Exec(rig_->Db(), QString("INSERT INTO t_task (id, strName, intCategory, intPriority, "
                                 "intDone, intDue, dateDue, intReminder, datetimeReminder, "
                                 "intSound, strSoundFile, intMemo) VALUES (5, 'water plants', 2, "
                                 "0, 1, 1, %1, 1, %2, 1, 'BELL.WAV', 1)")
                             .arg(EncodeDate(2007, 4, 1), 0, 'g', 17)
                             .arg(EncodeDate(2007, 3, 20) + 14.5 / 24.0, 0, 'g', 17));
        Exec(rig_->Db(), "INSERT INTO t_note (id, idTask, strNote) VALUES (3, 5, 'old note')");
        return Loaded(5);
    }

    TMyRec2 Loaded(int id) const {
        std::vector<TMyRec2> all, shown;
        LoadTaskArrays(rig_->dm, 0, -1, 0, all, shown);
        const auto found =
            std::find_if(all.begin(), all.end(), [id](const TMyRec2& t) { return t.id == id; });
        return found == all.end() ? TMyRec2{} : *found;
    }

    void ReplaceNote(const QString& text) const {
        Memo1(*editor_)->selectAll();
        QTest::keyClick(Memo1(*editor_), Qt::Key_Delete);
        Commit(Memo1(*editor_), text);
    }

private slots:
    void init() {
        rig_ = std::make_unique<TEditorRig>();
        editor_ = rig_->editor;
    }
    void cleanup() {
        VerifyCleanEnd();
        QFile::setPermissions(rig_->Db(), QFile::ReadOwner | QFile::WriteOwner);
        editor_ = nullptr;
        rig_.reset();
    }

    void prepareEditFillsTheControlsFromTheTask() {
        rig_->MakeSounds({"alarm.wav", "BELL.WAV"});
        rig_->ShowEdit(StoredTask());
        QCOMPARE(editor_->TaskEditorMode, 0);
        QCOMPARE(editor_->EditTaskId, 5);
        QCOMPARE(editor_->PresetCategory, 2);
        QCOMPARE(editor_->PresetSoundFile, std::string("BELL.WAV"));
        QCOMPARE(editor_->Frame->Label1()->text(), QString("Edit Task"));
        QCOMPARE(Edit1(*editor_)->text(), QString("water plants"));
        QCOMPARE(editor_->focusWidget(), Edit1(*editor_));
        QCOMPARE(Edit1(*editor_)->cursorPosition(), 12);
        QVERIFY(!Edit1(*editor_)->hasSelectedText());
        QCOMPARE(Memo1(*editor_)->toPlainText(), QString("old note"));
        QCOMPARE(ComboBox1(*editor_)->currentText(), QString("Work"));
        QCOMPARE(ComboBox2(*editor_)->currentText(), QString("High"));
        QVERIFY(CheckBox1(*editor_)->isChecked());
        QVERIFY(DateTimePicker1(*editor_)->isEnabled());
        QCOMPARE(DateTimePicker1(*editor_)->date(), QDate(2007, 4, 1));
        QVERIFY(CheckBox2(*editor_)->isChecked());
        QVERIFY(DateTimePicker2(*editor_)->isEnabled());
        QVERIFY(DateTimePicker3(*editor_)->isEnabled());
        QCOMPARE(DateTimePicker2(*editor_)->time(), QTime(14, 30));
        QCOMPARE(DateTimePicker3(*editor_)->date(), QDate(2007, 3, 20));
        QVERIFY(CheckBox3(*editor_)->isChecked());
        QVERIFY(CheckBox3(*editor_)->isEnabled());
        QVERIFY(ComboBox3(*editor_)->isEnabled());
        QCOMPARE(ComboBox3(*editor_)->currentText(), QString("BELL.WAV"));
        QVERIFY(SpeedButton1(*editor_)->isEnabled());
        QVERIFY(!editor_->EditAccepted);
        QVERIFY(!rig_->main->Reminders->Timer3->isActive());
    }

    void prepareEditWithoutDueDateOrReminderUsesTheDefaults() {
        TMyRec2 task;
        task.id = 8;
        task.strName = "plain";
        task.intCategory = 1;
        task.intPriority = 1;
        task.dateDue = EncodeDate(2001, 1, 1);
        task.datetimeReminder = EncodeDate(2001, 1, 1) + 0.5;
        // Leftovers of an earlier show must not survive the preparation.
        CheckBox1(*editor_)->setChecked(true);
        CheckBox2(*editor_)->setChecked(true);
        CheckBox3(*editor_)->setChecked(true);
        rig_->ShowEdit(task);
        QCOMPARE(ComboBox2(*editor_)->currentText(), QString("Normal"));
        QCOMPARE(ComboBox1(*editor_)->currentText(), QString("Personal"));
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
        QVERIFY(!SpeedButton1(*editor_)->isEnabled());
        QCOMPARE(Memo1(*editor_)->toPlainText(), QString());
    }

    void presetSoundIsMatchedExactly() {
        rig_->MakeSounds({"alarm.wav", "BELL.WAV"});
        TMyRec2 task;
        task.id = 8;
        task.strName = "x";
        task.intCategory = 1;
        task.intReminder = 1;
        task.intSound = 1;
        task.strSoundFile = "bell.wav";
        rig_->ShowEdit(task);
        QVERIFY(ComboBox3(*editor_)->isEnabled());
        QVERIFY(SpeedButton1(*editor_)->isEnabled());
        QCOMPARE(ComboBox3(*editor_)->currentIndex(), -1);
        QCOMPARE(editor_->Results().strSoundFile, std::string());
    }

    void editRewritesTheTaskAndKeepsItsDoneMark() {
        rig_->ShowEdit(StoredTask());
        Edit1(*editor_)->selectAll();
        QTest::keyClicks(Edit1(*editor_), " water the plants ");
        ComboBox1(*editor_)->setCurrentIndex(2);
        ComboBox2(*editor_)->setCurrentIndex(1);
        rig_->Click(CheckBox1(*editor_));
        rig_->Click(CheckBox3(*editor_));
        rig_->ClickOk();
        QVERIFY(editor_->EditAccepted);
        QVERIFY(!editor_->isVisible());
        QCOMPARE(editor_->EditTaskId, 5);
        QCOMPARE(RowCount(rig_->Db(), "t_task"), 1);
        QCOMPARE(rig_->Task(5, "strName").toString(), QString("water the plants"));
        QCOMPARE(rig_->Task(5, "intCategory").toInt(), 3);
        QCOMPARE(rig_->Task(5, "intPriority").toInt(), 1);
        QCOMPARE(rig_->Task(5, "intDone").toInt(), 1);
        QCOMPARE(rig_->Task(5, "intDue").toInt(), 0);
        QCOMPARE(rig_->Task(5, "dateDue").toDouble(), EncodeDate(2007, 4, 1));
        QCOMPARE(rig_->Task(5, "intReminder").toInt(), 1);
        QCOMPARE(rig_->Task(5, "datetimeReminder").toDouble(),
                 EncodeDate(2007, 3, 20) + 14.5 / 24.0);
        QCOMPARE(rig_->Task(5, "intSound").toInt(), 0);
        QCOMPARE(rig_->Task(5, "strSoundFile").toString(), QString());
        QCOMPARE(rig_->Task(5, "intMemo").toInt(), 1);
        QCOMPARE(rig_->NoteOf(5).toString(), QString("old note"));
        QVERIFY(rig_->main->Reminders->Timer3->isActive());
    }

    void editGivingANoteAddsANoteRowWithANewId() {
        Exec(rig_->Db(), "INSERT INTO t_task (id, strName, intCategory) VALUES (6, 'bare', 1)");
        Exec(rig_->Db(), "INSERT INTO t_note (id, idTask, strNote) VALUES (7, 99, 'other')");
        rig_->ShowEdit(Loaded(6));
        Commit(Memo1(*editor_), "new\n note ");
        rig_->ClickOk();
        QVERIFY(editor_->EditAccepted);
        QCOMPARE(rig_->Task(6, "intMemo").toInt(), 1);
        QCOMPARE(rig_->NoteOf(6).toString(), QString("new\n note "));
        QCOMPARE(rig_->NoteOf(6, "id").toInt(), 8);
        QCOMPARE(RowCount(rig_->Db(), "t_note"), 2);
    }

    void editChangingTheNoteKeepsItsRow() {
        rig_->ShowEdit(StoredTask());
        ReplaceNote("changed");
        rig_->ClickOk();
        QVERIFY(editor_->EditAccepted);
        QCOMPARE(rig_->NoteOf(5).toString(), QString("changed"));
        QCOMPARE(rig_->NoteOf(5, "id").toInt(), 3);
        QCOMPARE(RowCount(rig_->Db(), "t_note"), 1);
    }

    void editBlankingTheNoteDeletesIt() {
        rig_->ShowEdit(StoredTask());
        ReplaceNote("  \n\t\n ");
        rig_->ClickOk();
        QVERIFY(editor_->EditAccepted);
        QCOMPARE(rig_->Task(5, "intMemo").toInt(), 0);
        QCOMPARE(RowCount(rig_->Db(), "t_note"), 0);
    }

    void editOfATaskWhoseCategoryIsGoneIsRefused() {
        TMyRec2 task = StoredTask();
        task.intCategory = 42;
        rig_->ShowEdit(task);
        QCOMPARE(ComboBox1(*editor_)->currentIndex(), -1);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        rig_->ClickOk();
        QCOMPARE(ShownMessageBoxes(), QStringList{"Error: Error, please choose a category!"});
        QVERIFY(editor_->isVisible());
        QVERIFY(!editor_->EditAccepted);
        QCOMPARE(rig_->Task(5, "intCategory").toInt(), 2);
    }

    void aFailingSaveLeavesTheEditorOpenAndTheFileUnchanged_data() {
        QTest::addColumn<bool>("add");
        QTest::newRow("add") << true;
        QTest::newRow("edit") << false;
    }
    void aFailingSaveLeavesTheEditorOpenAndTheFileUnchanged() {
        QFETCH(bool, add);
        const TMyRec2 task = StoredTask();
        if (add)
            rig_->ShowAdd();
        else
            rig_->ShowEdit(task);
        Edit1(*editor_)->selectAll();
        rig_->TypeName("not saved");
        Commit(Memo1(*editor_), "\nnor this");
        const QString name = Edit1(*editor_)->text();
        const QString note = Memo1(*editor_)->toPlainText();
        const int idBefore = editor_->EditTaskId;
        QVERIFY(QFile::setPermissions(rig_->Db(),
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QByteArray before = FileHash(rig_->Db());

        QueueMessageBoxAnswer(QMessageBox::Ok);
        rig_->ClickOk();
        const QStringList shown = ShownMessageBoxes();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].startsWith("Error: ") && !shown[0].startsWith("Error: Error, "),
                 qPrintable(shown[0]));
        QVERIFY(editor_->isVisible());
        QVERIFY(!editor_->EditAccepted);
        QCOMPARE(editor_->EditTaskId, idBefore);
        QCOMPARE(Edit1(*editor_)->text(), name);
        QCOMPARE(Memo1(*editor_)->toPlainText(), note);
        QCOMPARE(FileHash(rig_->Db()), before);
        QVERIFY(!rig_->main->Reminders->Timer3->isActive());

        editor_->BitBtn2Click();
        QVERIFY(!editor_->EditAccepted);
        QCOMPARE(FileHash(rig_->Db()), before);
        QCOMPARE(RowCount(rig_->Db(), "t_task"), 1);
        QCOMPARE(rig_->Task(5, "strName").toString(), QString("water plants"));
    }

    void textOfEveryScriptAndLengthRoundTrips() {
        const QString name = QString::fromUtf8("任务 مهمة 🎉 ✓");
        const QString note = QString::fromUtf8("笔记\nملاحظة 👍🏽\n\u00a0tail ");
        QString longName;
        while (longName.size() < 10000)
            longName += QString::fromUtf8("ab汉ع");
        QCOMPARE(longName.size(), 10000);

        for (const QString& text : {name, longName}) {
            rig_->ShowAdd();
            Commit(Edit1(*editor_), text);
            Commit(Memo1(*editor_), note);
            rig_->ClickOk();
            QVERIFY(editor_->EditAccepted);
            const int id = editor_->EditTaskId;
            QCOMPARE(rig_->Task(id, "strName").toString(), text);
            QCOMPARE(rig_->NoteOf(id).toString(), note);

            rig_->ShowEdit(Loaded(id));
            QCOMPARE(Edit1(*editor_)->text(), text);
            QCOMPARE(editor_->Results().strName, text.toStdString());
            QCOMPARE(editor_->Results().strNote.value_or(""), note.toStdString());
            rig_->ClickOk();
            QCOMPARE(rig_->Task(id, "strName").toString(), text);
            QCOMPARE(rig_->NoteOf(id).toString(), note);
        }
    }

    void modalEditCancelledWritesNothing() {
        rig_->MakeSounds({"BELL.WAV"});
        editor_->PrepareEdit(StoredTask());
        QTimer::singleShot(0, editor_, [this] {
            QVERIFY(editor_->isVisible());
            rig_->TypeName(" more");
            QTest::keyClick(Edit1(*editor_), Qt::Key_Escape);
            if (editor_->isVisible())
                editor_->reject();
        });
        QCOMPARE(editor_->exec(), int(QDialog::Rejected));
        QVERIFY(!editor_->EditAccepted);
        QCOMPARE(rig_->Task(5, "strName").toString(), QString("water plants"));
        QVERIFY(rig_->main->Reminders->Timer3->isActive());
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestTaskEditorEdit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_TaskEditorEdit.moc"
