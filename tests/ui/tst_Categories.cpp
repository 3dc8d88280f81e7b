// SPDX-License-Identifier: GPL-3.0-or-later

// The category editor and the category manager: what each shows, what each refuses, and what
// the manager's commands leave in t_category and in its list.

#include "app/Application.h"
#include "categories/Unit15.h"
#include "categories/Unit16.h"
#include "store/DmUnit.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"
#include "uikit/FrameController.h"
#include "uikit/MessageBox.h"
#include "uikit/MyImage.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const QString TooMany = "Error: Error, category number can not exceed 10!";
const QString InUse = "Error: Error, the selected category can not be deleted because it has "
                      "been used by some tasks!";

} // namespace

class TestCategories : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;
    std::unique_ptr<TForm16> editor_;
    std::unique_ptr<TForm15> manager_;

    QString Db() const { return home_->DatabasePath(); }

    // Replaces the categories by ones with these ids at positions 1, 2, ..., named c<id>.
    void SetCategories(const QList<int>& ids) const {
        Exec(Db(), "DELETE FROM t_category");
        for (int k = 0; k < ids.size(); ++k)
            Exec(Db(), QString("INSERT INTO t_category (id, strName, intImg, intPos) "
                               "VALUES (%1, 'c%1', 2, %2)")
                           .arg(ids[k])
                           .arg(k + 1));
    }
    // Every stored category as "id:pos", in position order.
    QString Stored() const {
        return Scalar(Db(), "SELECT group_concat(id || ':' || intPos, ' ') FROM "
                            "(SELECT id, intPos FROM t_category ORDER BY intPos, id)")
            .toString();
    }
    QStringList Rows() const {
        QStringList names;
        for (int row = 0; row < VST(*manager_)->rowCount(); ++row)
            names << VST(*manager_)->item(row, 0)->text();
        return names;
    }
    int Focused() const { return VST(*manager_)->currentRow(); }

    // Runs the editor modally; act works on it once it is shown, and a window left open
    // afterwards is cancelled so that the run always ends. Returns whether it was shown.
    bool RunEditor(const std::function<void()>& act, const std::function<void()>& start) {
        bool shown = false;
        QTimer::singleShot(0, editor_.get(), [&] {
            shown = editor_->isVisible();
            if (shown)
                act();
            if (editor_->isVisible())
                editor_->reject();
        });
        start();
        if (!shown)
            QTest::qWait(0);
        return shown;
    }
    bool RunEditor(const std::function<void()>& act) {
        return RunEditor(act, [this] { editor_->exec(); });
    }
    void TypeAndOk(const QString& name, int icon) {
        Edit1(*editor_)->selectAll();
        QTest::keyClicks(Edit1(*editor_), name);
        QTest::mouseClick(SpeedButtons(*editor_)[icon - 1], Qt::LeftButton);
        QTest::mouseClick(BitBtn1(*editor_), Qt::LeftButton);
    }

private slots:
    void init() {
        home_ = std::make_unique<TTestHome>();
        dm_ = std::make_unique<TDM>(home_->Path().toStdString());
        dm_->DataModuleCreate();
        DM = dm_.get();
        editor_ = std::make_unique<TForm16>();
        manager_ = std::make_unique<TForm15>(*dm_, *editor_);
        ClearShownMessageBoxes();
    }
    void cleanup() {
        VerifyCleanEnd();
        manager_.reset();
        editor_.reset();
        dm_.reset();
        DM = nullptr;
        home_.reset();
    }

    void editorAddModeStartsEmptyWithIconOneAndACentredTitle() {
        editor_->CategoryEditorMode = 1;
        RunEditor([this] { TypeAndOk("first", 5); });
        QVERIFY(editor_->CategoryAccepted);
        QCOMPARE(editor_->CategoryIcon, 5);
        RunEditor([this] {
            QCOMPARE(editor_->size(), QSize(377, 241));
            QCOMPARE(Edit1(*editor_)->text(), QString());
            QVERIFY(SpeedButtons(*editor_)[0]->isChecked());
            QVERIFY(!SpeedButtons(*editor_)[4]->isChecked());
            QCOMPARE(editor_->focusWidget(), Edit1(*editor_));
            QLabel* title = editor_->Frame->Label1();
            QCOMPARE(title->text(), QString("Add New Category"));
            QCOMPARE(title->pos(), QPoint((377 - title->width()) / 2, 14));
        });
        QVERIFY(!editor_->CategoryAccepted);
    }

    void editorEditModeShowsTheIconAndPutsTheCaretAfterTheName() {
        editor_->CategoryEditorMode = 0;
        editor_->CategoryIcon = 7;
        Edit1(*editor_)->setText("Errands");
        RunEditor([this] {
            QCOMPARE(editor_->Frame->Label1()->text(), QString("Edit Category"));
            for (int n = 1; n <= 10; ++n)
                QCOMPARE(SpeedButtons(*editor_)[n - 1]->isChecked(), n == 7);
            QCOMPARE(editor_->focusWidget(), Edit1(*editor_));
            QVERIFY(!Edit1(*editor_)->hasSelectedText());
            QCOMPARE(Edit1(*editor_)->cursorPosition(), 7);
            // The button that is down stays down when pressed again.
            QTest::mouseClick(SpeedButtons(*editor_)[6], Qt::LeftButton);
            QVERIFY(SpeedButtons(*editor_)[6]->isChecked());
        });
        // An icon number outside 1 to 10 leaves the buttons as they were.
        editor_->CategoryIcon = 11;
        RunEditor([this] { QVERIFY(SpeedButtons(*editor_)[6]->isChecked()); });
    }

    void editorRefusesABlankNameAndHandsBackAnUntrimmedOne() {
        QueueMessageBoxAnswer(QMessageBox::Ok);
        editor_->CategoryEditorMode = 1;
        RunEditor([this] {
            TypeAndOk("   ", 3);
            QVERIFY(editor_->isVisible());
            QCOMPARE(editor_->focusWidget(), Edit1(*editor_));
            QCOMPARE(Edit1(*editor_)->text(), QString("   "));
            TypeAndOk("  Home  ", 3);
        });
        QCOMPARE(ShownMessageBoxes(), QStringList{"Error: Error, category name can not be empty!"});
        QVERIFY(editor_->CategoryAccepted);
        QCOMPARE(Edit1(*editor_)->text(), QString("  Home  "));
        QCOMPARE(editor_->CategoryIcon, 3);
    }

    void editorCancelEscAndCloseButtonLeaveItNotAccepted() {
        const std::function<void()> closers[] = {
            [this] { QTest::mouseClick(BitBtn2(*editor_), Qt::LeftButton); },
            [this] { QTest::keyClick(Edit1(*editor_), Qt::Key_Escape); },
            [this] { QTest::mouseClick(editor_->Frame->Image_Close(), Qt::LeftButton); },
        };
        for (const auto& close : closers) {
            editor_->CategoryEditorMode = 0;
            editor_->CategoryIcon = 2;
            RunEditor([&] {
                QTest::keyClicks(Edit1(*editor_), "changed");
                QTest::mouseClick(SpeedButtons(*editor_)[8], Qt::LeftButton);
                close();
                QVERIFY(!editor_->isVisible());
            });
            QVERIFY(!editor_->CategoryAccepted);
            QCOMPARE(editor_->CategoryIcon, 2);
        }
    }

    void managerListsCategoriesInOrderAndFocusesTheFirst() {
        Exec(Db(), "UPDATE t_category SET intPos = 4 - intPos");
        manager_->show();
        QCOMPARE(manager_->size(), QSize(350, 386));
        QCOMPARE(manager_->Frame->Label1()->text(), QString("Edit Category"));
        QCOMPARE(VST(*manager_)->horizontalHeaderItem(0)->text(), QString("Categories"));
        QCOMPARE(Rows(), (QStringList{"Shopping", "Work", "Personal"}));
        QVERIFY(!VST(*manager_)->item(0, 0)->icon().isNull());
        QCOMPARE(Focused(), 0);
        QVERIFY(VST(*manager_)->item(0, 0)->isSelected());
        QCOMPARE(manager_->focusWidget(), VST(*manager_));
        manager_->close();
        QVERIFY(manager_->Categories().empty());
    }

    void managerOnAnEmptyTableRefusesEditAndDeleteAndAddsIdOne() {
        SetCategories({});
        manager_->show();
        QCOMPARE(Focused(), -1);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        ToolButton2(*manager_)->trigger();
        ToolButton3(*manager_)->trigger();
        QCOMPARE(ShownMessageBoxes(),
                 (QStringList{
                     "Error: Error, you have not select the category which you want to edit!",
                     "Error: Error, you have not select the category which you want to delete!"}));
        QVERIFY(RunEditor([this] { TypeAndOk("  New one ", 4); },
                          [this] { ToolButton1(*manager_)->trigger(); }));
        QCOMPARE(Scalar(Db(), "SELECT id || '|' || strName || '|' || intImg || '|' || intPos "
                              "FROM t_category"),
                 QVariant("1|New one|4|1"));
        QCOMPARE(Rows(), QStringList{"New one"});
        QCOMPARE(Focused(), 0);
    }

    void managerRefusesAnEleventhWithoutOpeningTheEditor() {
        SetCategories({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
        manager_->show();
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QVERIFY(!RunEditor([] {}, [this] { ToolButton1(*manager_)->trigger(); }));
        QCOMPARE(ShownMessageBoxes(), QStringList{TooMany});
        QueueMessageBoxAnswer(QMessageBox::Yes);
        ToolButton3(*manager_)->trigger();
        QVERIFY(RunEditor([this] { TypeAndOk("again", 1); },
                          [this] { ToolButton1(*manager_)->trigger(); }));
        QCOMPARE(VST(*manager_)->rowCount(), 10);
        QCOMPARE(Focused(), 9);
    }

    void managerEditStoresTheTrimmedNameAndIconAndCancelChangesNothing() {
        manager_->show();
        const QRect cell = VST(*manager_)->visualItemRect(VST(*manager_)->item(1, 0));
        QVERIFY(RunEditor(
            [this] {
                QCOMPARE(Edit1(*editor_)->text(), QString("Work"));
                QVERIFY(SpeedButtons(*editor_)[1]->isChecked());
                TypeAndOk(" Office ", 9);
            },
            [&] {
                QTest::mouseClick(VST(*manager_)->viewport(), Qt::LeftButton, {}, cell.center());
                QTest::mouseDClick(VST(*manager_)->viewport(), Qt::LeftButton, {}, cell.center());
            }));
        QCOMPARE(Scalar(Db(), "SELECT strName || '|' || intImg || '|' || intPos FROM t_category "
                              "WHERE id = 2"),
                 QVariant("Office|9|2"));
        QCOMPARE(Rows(), (QStringList{"Personal", "Office", "Shopping"}));
        RunEditor([this] { QTest::keyClicks(Edit1(*editor_), "x"); },
                  [this] { ToolButton2(*manager_)->trigger(); });
        QCOMPARE(Rows(), (QStringList{"Personal", "Office", "Shopping"}));
        QCOMPARE(Scalar(Db(), "SELECT strName FROM t_category WHERE id = 2"), QVariant("Office"));
    }

    void managerDeleteClosesTheGapAndFocusesTheFollower() {
        SetCategories({1, 2, 3, 4});
        manager_->show();
        VST(*manager_)->setCurrentCell(1, 0);
        QueueMessageBoxAnswer(QMessageBox::No);
        ToolButton3(*manager_)->trigger();
        QCOMPARE(Stored(), QString("1:1 2:2 3:3 4:4"));
        QueueMessageBoxAnswer(QMessageBox::Yes);
        ToolButton3(*manager_)->trigger();
        QCOMPARE(Stored(), QString("1:1 3:2 4:3"));
        QCOMPARE(Rows(), (QStringList{"c1", "c3", "c4"}));
        QCOMPARE(Focused(), 1);
        QCOMPARE(manager_->Categories()[2].intPos, 3);

        VST(*manager_)->setCurrentCell(2, 0);
        QueueMessageBoxAnswer(QMessageBox::Yes);
        ToolButton3(*manager_)->trigger();
        QCOMPARE(Focused(), 1);
        QueueMessageBoxAnswer(QMessageBox::Yes);
        QueueMessageBoxAnswer(QMessageBox::Yes);
        ToolButton3(*manager_)->trigger();
        ToolButton3(*manager_)->trigger();
        QCOMPARE(VST(*manager_)->rowCount(), 0);
        QCOMPARE(Stored(), QString());
    }

    void managerNeverDeletesACategoryWithTasksEvenDoneOnes() {
        InsertTasks(Db(), {{.id = 1, .name = "done", .category = 2, .done = 1}});
        manager_->show();
        VST(*manager_)->setCurrentCell(1, 0);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        ToolButton3(*manager_)->trigger();
        QCOMPARE(ShownMessageBoxes(), QStringList{InUse});
        QCOMPARE(Stored(), QString("1:1 2:2 3:3"));
        QCOMPARE(RowCount(Db(), "t_task"), 1);
    }

    void managerMovesFollowTheCategoryAndStopAtTheEnds() {
        manager_->show();
        ToolButton5(*manager_)->trigger();
        VST(*manager_)->setCurrentCell(2, 0);
        ToolButton6(*manager_)->trigger();
        QCOMPARE(Stored(), QString("1:1 2:2 3:3"));
        QCOMPARE(Focused(), 2);

        ToolButton5(*manager_)->trigger();
        QCOMPARE(Stored(), QString("1:1 3:2 2:3"));
        QCOMPARE(Rows(), (QStringList{"Personal", "Shopping", "Work"}));
        QCOMPARE(Focused(), 1);
        VST(*manager_)->setCurrentCell(0, 0);
        ToolButton6(*manager_)->trigger();
        QCOMPARE(Stored(), QString("3:1 1:2 2:3"));
        QCOMPARE(Rows(), (QStringList{"Shopping", "Personal", "Work"}));
        QCOMPARE(Focused(), 1);
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestCategories test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Categories.moc"
