// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "store/db/StoreError.h"
#include "tasklist/BitBtn.h"
#include "tasklist/TaskListModel.h"
#include "tasklist/Unit2.h"
#include "tests/ui/TaskEditorRig.h"

#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"

#include <QHeaderView>
#include <QTreeView>

class TestTaskListCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<TEditorRig> rig_;
    TForm2* list_ = nullptr;
    TForm17* editor_ = nullptr;

    QString Db() const { return rig_->Db(); }
    int CurrentRow() const { return VDT(*list_)->currentIndex().row(); }
    TTaskListModel& Rows() const { return *qobject_cast<TTaskListModel*>(VDT(*list_)->model()); }
    Qt::CheckState CheckOf(int row) const {
        return Rows().index(row, 0).data(Qt::CheckStateRole).value<Qt::CheckState>();
    }

    // Acts on the editor once the command has opened it modally.
    void WhenEditorOpens(const std::function<void()>& act) {
        QTimer::singleShot(0, editor_, [this, act] {
            QVERIFY(editor_->isVisible());
            act();
        });
    }
    void SaveAs(const QString& name, int categoryIndex = -1) {
        WhenEditorOpens([this, name, categoryIndex] {
            Edit1(*editor_)->setText(name);
            if (categoryIndex >= 0)
                ComboBox1(*editor_)->setCurrentIndex(categoryIndex);
            QTest::mouseClick(BitBtn1(*editor_), Qt::LeftButton);
        });
    }
    void Reload(int category) {
        list_->LoadTasks(category);
        rig_->main->ShownCategory = category;
    }
    void ClickBox(int row) {
        QTreeView* view = VDT(*list_);
        CheckOf(row);
        const QRect cell = view->visualRect(Rows().index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.topLeft() + QPoint(11, 10));
    }

private slots:
    void init() {
        rig_ = std::make_unique<TEditorRig>();
        InsertTasks(rig_->Db(), {{.id = 1, .name = "one"},
                                 {.id = 2, .name = "two", .category = 2},
                                 {.id = 3, .name = "three", .done = 1},
                                 {.id = 4, .name = "four", .category = 2}});
        Exec(Db(), "UPDATE t_task SET intMemo = 1 WHERE id = 2");
        Exec(Db(), "INSERT INTO t_note (id, idTask, strNote) VALUES (1, 2, 'note of two')");
        list_ = rig_->main->Form2;
        editor_ = rig_->editor;
        Reload(0);
        // The list is laid out only inside a shown main window.
        rig_->main->show();
    }
    void cleanup() {
        VerifyCleanEnd();
        rig_.reset();
    }

    void addAppendsTheTaskToBothArraysAndFocusesItsRow() {
        SaveAs("  five  ");
        QTest::mouseClick(BitBtn1(*list_), Qt::LeftButton);
        QCOMPARE(Ids(list_->AllTasks), (std::vector<int>{1, 2, 3, 4, 5}));
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{1, 2, 4, 3, 5}));
        QCOMPARE(Rows().rowCount(), 5);
        QCOMPARE(CurrentRow(), 4);
        const TMyRec2& added = list_->ShownTasks.back();
        QCOMPARE(QString::fromStdString(added.strName), QString("five"));
        QCOMPARE(QString::fromStdString(added.strCategory), QString("Personal"));
        QCOMPARE(added.intImg, 1);
        QCOMPARE(added.intPos, 1);
        QCOMPARE(added.intDone, 0);
        QCOMPARE(list_->AllTasks.back().strName, added.strName);
        QCOMPARE(rig_->Task(5, "strName").toString(), QString("five"));
        // The new task has its UID for life from the start: a random UUID.
        QCOMPARE(Scalar(Db(), "SELECT length(strUid) FROM t_uid WHERE idTask = 5").toInt(), 36);
    }

    void addWhileAnotherCategoryIsShownListsTheTaskUntilTheNextReload() {
        Reload(2);
        WhenEditorOpens([this] {
            // The shown category is preselected; the user picks "Shopping" instead.
            QCOMPARE(ComboBox1(*editor_)->currentText(), QString("Work"));
            Edit1(*editor_)->setText("milk");
            ComboBox1(*editor_)->setCurrentIndex(2);
            QTest::mouseClick(BitBtn1(*editor_), Qt::LeftButton);
        });
        list_->BitBtn1Click();
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{2, 4, 5}));
        QCOMPARE(list_->ShownTasks.back().intCategory, 3);
        QCOMPARE(rig_->Task(5, "intCategory").toInt(), 3);
        Reload(2);
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{2, 4}));
    }

    void addToASortedListPutsTheTaskLastUnsorted() {
        list_->VDTHeaderClick(0);
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{4, 1, 2, 3}));
        SaveAs("a first by name");
        list_->BitBtn1Click();
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{4, 1, 2, 3, 5}));
    }

    void cancelledAddChangesNothing() {
        WhenEditorOpens([this] { QTest::mouseClick(BitBtn2(*editor_), Qt::LeftButton); });
        list_->BitBtn1Click();
        QCOMPARE(list_->AllTasks.size(), size_t(4));
        QCOMPARE(Rows().rowCount(), 4);
        QCOMPARE(RowCount(Db(), "t_task"), 4);
    }

    void editChangesTheRowInPlaceWithItsNote() {
        list_->VDTHeaderClick(0);
        const int row = 1; // "one"
        VDT(*list_)->setCurrentIndex(Rows().index(row, 0));
        WhenEditorOpens([this] {
            QCOMPARE(Edit1(*editor_)->text(), QString("one"));
            Edit1(*editor_)->setText("ONE");
            Memo1(*editor_)->setPlainText("a new note");
            ComboBox1(*editor_)->setCurrentIndex(1);
            QTest::mouseClick(BitBtn1(*editor_), Qt::LeftButton);
        });
        QTest::mouseClick(BitBtn2(*list_), Qt::LeftButton);
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{4, 1, 2, 3}));
        const TMyRec2& shown = list_->ShownTasks[row];
        QCOMPARE(QString::fromStdString(shown.strName), QString("ONE"));
        QCOMPARE(QString::fromStdString(shown.strNote), QString("a new note"));
        QCOMPARE(shown.intMemo, 1);
        QCOMPARE(shown.intCategory, 2);
        QCOMPARE(shown.intImg, 2);
        // The category name is the one the task was loaded with, until the next reload.
        QCOMPARE(QString::fromStdString(shown.strCategory), QString("Personal"));
        QCOMPARE(list_->AllTasks[0].strName, shown.strName);
        QCOMPARE(list_->AllTasks[0].intPos, 2);
        QCOMPARE(rig_->NoteOf(1).toString(), QString("a new note"));
        QCOMPARE(rig_->NoteOf(1, "id").toInt(), 2);
    }

    void editRemovingTheNoteDeletesItsRowAndKeepsTheDoneMark() {
        VDT(*list_)->setCurrentIndex(Rows().index(1, 0)); // "two", with a note
        WhenEditorOpens([this] {
            QCOMPARE(Memo1(*editor_)->toPlainText(), QString("note of two"));
            Memo1(*editor_)->setPlainText(" \n ");
            QTest::mouseClick(BitBtn1(*editor_), Qt::LeftButton);
        });
        list_->BitBtn2Click();
        QCOMPARE(list_->ShownTasks[1].intMemo, 0);
        QCOMPARE(list_->ShownTasks[1].strNote, std::string());
        QCOMPARE(RowCount(Db(), "t_note"), 0);

        VDT(*list_)->setCurrentIndex(Rows().index(3, 0)); // "three", done
        SaveAs("three again");
        list_->BitBtn2Click();
        QCOMPARE(list_->ShownTasks[3].intDone, 1);
        QCOMPARE(rig_->Task(3, "intDone").toInt(), 1);
        QCOMPARE(CheckOf(3), Qt::Checked);
    }

    void doubleClickEditsTheFocusedTaskOnly() {
        VDT(*list_)->setCurrentIndex(Rows().index(0, 0));
        bool opened = false;
        WhenEditorOpens([&] {
            opened = true;
            QTest::mouseClick(BitBtn2(*editor_), Qt::LeftButton);
        });
        QTest::mouseDClick(VDT(*list_)->viewport(), Qt::LeftButton, {}, QPoint(200, 200));
        QVERIFY(opened);

        Reload(3);
        QCOMPARE(CurrentRow(), -1);
        QTest::mouseDClick(VDT(*list_)->viewport(), Qt::LeftButton, {}, QPoint(200, 200));
        QVERIFY(!editor_->isVisible());
    }

    void editAndDeleteWithoutAFocusedRowAreRefused() {
        Reload(3);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        list_->BitBtn2Click();
        list_->BitBtn3Click();
        list_->BitBtn4Click();
        QCOMPARE(ShownMessageBoxes(),
                 (QStringList{"Error: You have not selected the task you want to edit!",
                              "Error: You have not selected the task you want to delete!",
                              "Error: No Tasks!"}));
    }

    void deleteAsksThenRemovesTaskNoteAndRow() {
        Exec(Db(), "INSERT INTO t_uid (idTask, strUid) VALUES (2, 'uid of two')");
        VDT(*list_)->setCurrentIndex(Rows().index(1, 0)); // "two"
        QueueMessageBoxAnswer(QMessageBox::No);
        list_->BitBtn3Click();
        QCOMPARE(RowCount(Db(), "t_task"), 4);
        QCOMPARE(ShownMessageBoxes(),
                 QStringList{"Confirm: The selected task will be deleted, are you sure?"});

        QueueMessageBoxAnswer(QMessageBox::Yes);
        QTest::mouseClick(BitBtn3(*list_), Qt::LeftButton);
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{1, 4, 3}));
        QCOMPARE(Ids(list_->AllTasks), (std::vector<int>{1, 3, 4}));
        QCOMPARE(Rows().rowCount(), 3);
        QCOMPARE(CurrentRow(), 1);
        QCOMPARE(RowCount(Db(), "t_task"), 3);
        QCOMPARE(RowCount(Db(), "t_note"), 0);
        QCOMPARE(RowCount(Db(), "t_uid"), 0);
    }

    void deletingTheLastRowFocusesTheNewLastAndTheOnlyRowLeavesNothing() {
        VDT(*list_)->setCurrentIndex(Rows().index(3, 0));
        QueueMessageBoxAnswer(QMessageBox::Yes);
        list_->BitBtn3Click();
        QCOMPARE(CurrentRow(), 2);
        QCOMPARE(CheckOf(2), Qt::Unchecked);

        Reload(1);
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{1}));
        QueueMessageBoxAnswer(QMessageBox::Yes);
        list_->BitBtn3Click();
        QCOMPARE(Rows().rowCount(), 0);
        QCOMPARE(CurrentRow(), -1);
        QCOMPARE(Ids(list_->AllTasks), (std::vector<int>{2, 4}));
    }

    void theCheckBoxWritesTheDoneMarkAndMovesNothing() {
        ClickBox(0);
        QCOMPARE(rig_->Task(1, "intDone").toInt(), 1);
        QCOMPARE(list_->ShownTasks[0].intDone, 1);
        QCOMPARE(list_->AllTasks[0].intDone, 1);
        QCOMPARE(Ids(list_->ShownTasks), (std::vector<int>{1, 2, 4, 3}));
        QCOMPARE(CurrentRow(), 0);

        ClickBox(3);
        QCOMPARE(rig_->Task(3, "intDone").toInt(), 0);
        QCOMPARE(list_->AllTasks[2].intDone, 0);
        QCOMPARE(CurrentRow(), 3);
    }

    void aDoneMarkTheDatabaseRefusesLeavesBoxAndRecordsAsTheyWere() {
        QFile::setPermissions(Db(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        ClickBox(0);
        QFile::setPermissions(Db(), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(ShownMessageBoxes().size(), 1);
        QVERIFY(ShownMessageBoxes().front().startsWith("Error: "));
        QCOMPARE(list_->ShownTasks[0].intDone, 0);
        QCOMPARE(list_->AllTasks[0].intDone, 0);
        QCOMPARE(CheckOf(0), Qt::Unchecked);
        QCOMPARE(rig_->Task(1, "intDone").toInt(), 0);
    }

    void scrollingAndPaintingReadOnlyTheRecords() {
        Exec(Db(),
             "WITH RECURSIVE n(i) AS (SELECT 5 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
             "INSERT INTO t_task (id, strName, intCategory) SELECT i, 'task ' || i, 1 FROM n");
        Reload(0);
        QVERIFY(QFile::rename(Db(), Db() + ".away"));
        QTreeView* view = VDT(*list_);
        for (int row : {500, 1000, 0}) {
            view->scrollTo(Rows().index(row, 0), QAbstractItemView::PositionAtTop);
            QCOMPARE(view->indexAt(QPoint(5, 2)).row(), row);
            // The top row's name is painted from its record: dark text on the white row.
            const QImage image = view->viewport()->grab().toImage();
            int dark = 0;
            for (int x = 0; x < 200; ++x)
                for (int y = 0; y < 20; ++y)
                    dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
            QVERIFY2(dark > 20, qPrintable(QString("%1 dark pixels in row %2").arg(dark).arg(row)));
        }
        QVERIFY(ShownMessageBoxes().isEmpty());
        QVERIFY(QFile::rename(Db() + ".away", Db()));
    }

    void loadingAndSortingWriteNothing() {
        const QByteArray before = [&] {
            QFile file(Db());
            file.open(QIODevice::ReadOnly);
            return file.readAll();
        }();
        Reload(2);
        Reload(0);
        list_->VDTHeaderClick(1);
        list_->VDTHeaderClick(1);
        for (int row = 0; row < Rows().rowCount(); ++row)
            CheckOf(row);
        QFile file(Db());
        file.open(QIODevice::ReadOnly);
        QCOMPARE(file.readAll(), before);
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestTaskListCommands test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_TaskListCommands.moc"
