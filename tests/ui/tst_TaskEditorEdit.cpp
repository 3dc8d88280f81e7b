// SPDX-License-Identifier: GPL-3.0-or-later

// The task editor in edit mode, saves that fail, and text of every script and length.

#include "app/Application.h"
#include "store/records/TaskTable.h"
#include "tests/ui/TaskEditorRig.h"
#include "uikit/FrameController.h"

#include "tests/ui/TestSupport.h"

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
        editor_->Memo1->selectAll();
        QTest::keyClick(editor_->Memo1, Qt::Key_Delete);
        Commit(editor_->Memo1, text);
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
        QCOMPARE(editor_->Edit1->text(), QString("water plants"));
        QCOMPARE(editor_->focusWidget(), editor_->Edit1);
        QCOMPARE(editor_->Edit1->cursorPosition(), 12);
        QVERIFY(!editor_->Edit1->hasSelectedText());
        QCOMPARE(editor_->Memo1->toPlainText(), QString("old note"));
        QCOMPARE(editor_->ComboBox1->currentText(), QString("Work"));
        QCOMPARE(editor_->ComboBox2->currentText(), QString("High"));
        QVERIFY(editor_->CheckBox1->isChecked());
        QVERIFY(editor_->DateTimePicker1->isEnabled());
        QCOMPARE(editor_->DateTimePicker1->date(), QDate(2007, 4, 1));
        QVERIFY(editor_->CheckBox2->isChecked());
        QVERIFY(editor_->DateTimePicker2->isEnabled());
        QVERIFY(editor_->DateTimePicker3->isEnabled());
        QCOMPARE(editor_->DateTimePicker2->time(), QTime(14, 30));
        QCOMPARE(editor_->DateTimePicker3->date(), QDate(2007, 3, 20));
        QVERIFY(editor_->CheckBox3->isChecked());
        QVERIFY(editor_->CheckBox3->isEnabled());
        QVERIFY(editor_->ComboBox3->isEnabled());
        QCOMPARE(editor_->ComboBox3->currentText(), QString("BELL.WAV"));
        QVERIFY(editor_->SpeedButton1->isEnabled());
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
        editor_->CheckBox1->setChecked(true);
        editor_->CheckBox2->setChecked(true);
        editor_->CheckBox3->setChecked(true);
        rig_->ShowEdit(task);
        QCOMPARE(editor_->ComboBox2->currentText(), QString("Normal"));
        QCOMPARE(editor_->ComboBox1->currentText(), QString("Personal"));
        QVERIFY(!editor_->CheckBox1->isChecked());
        QVERIFY(!editor_->DateTimePicker1->isEnabled());
        QCOMPARE(editor_->DateTimePicker1->date(), QDate(2007, 3, 15));
        QVERIFY(!editor_->CheckBox2->isChecked());
        QVERIFY(!editor_->DateTimePicker2->isEnabled());
        QVERIFY(!editor_->DateTimePicker3->isEnabled());
        QCOMPARE(editor_->DateTimePicker2->time(), QTime(10, 15, 30));
        QCOMPARE(editor_->DateTimePicker3->date(), QDate(2007, 3, 15));
        QVERIFY(!editor_->CheckBox3->isChecked());
        QVERIFY(!editor_->CheckBox3->isEnabled());
        QVERIFY(!editor_->ComboBox3->isEnabled());
        QVERIFY(!editor_->SpeedButton1->isEnabled());
        QCOMPARE(editor_->Memo1->toPlainText(), QString());
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
        QVERIFY(editor_->ComboBox3->isEnabled());
        QVERIFY(editor_->SpeedButton1->isEnabled());
        QCOMPARE(editor_->ComboBox3->currentIndex(), -1);
        QCOMPARE(editor_->Results().strSoundFile, std::string());
    }

    void editRewritesTheTaskAndKeepsItsDoneMark() {
        rig_->ShowEdit(StoredTask());
        editor_->Edit1->selectAll();
        QTest::keyClicks(editor_->Edit1, " water the plants ");
        editor_->ComboBox1->setCurrentIndex(2);
        editor_->ComboBox2->setCurrentIndex(1);
        rig_->Click(editor_->CheckBox1);
        rig_->Click(editor_->CheckBox3);
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
        Commit(editor_->Memo1, "new\n note ");
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
        QCOMPARE(editor_->ComboBox1->currentIndex(), -1);
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
        editor_->Edit1->selectAll();
        rig_->TypeName("not saved");
        Commit(editor_->Memo1, "\nnor this");
        const QString name = editor_->Edit1->text();
        const QString note = editor_->Memo1->toPlainText();
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
        QCOMPARE(editor_->Edit1->text(), name);
        QCOMPARE(editor_->Memo1->toPlainText(), note);
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
            Commit(editor_->Edit1, text);
            Commit(editor_->Memo1, note);
            rig_->ClickOk();
            QVERIFY(editor_->EditAccepted);
            const int id = editor_->EditTaskId;
            QCOMPARE(rig_->Task(id, "strName").toString(), text);
            QCOMPARE(rig_->NoteOf(id).toString(), note);

            rig_->ShowEdit(Loaded(id));
            QCOMPARE(editor_->Edit1->text(), text);
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
            QTest::keyClick(editor_->Edit1, Qt::Key_Escape);
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
