// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "app/Unit1.h"
#include "store/DmUnit.h"
#include "tasklist/TaskListModel.h"
#include "tasklist/Unit2.h"
#include "tests/ui/ProgramRig.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"
#include "uikit/MessageBox.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

// Every action of the main window and of its task list from the keyboard, each key checked by
// what it does: the menu shown, the window opened, the task written or deleted.
class TestKeyboard : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;
    TProgramRig main_;

    TForm2& List() const { return *main_->Form2; }
    QTreeView* View() const { return VDT(List()); }
    int CurrentRow() const { return View()->currentIndex().row(); }
    QVariant Done(int id) const {
        return Scalar(home_->DatabasePath(),
                      QString("SELECT intDone FROM t_task WHERE id = %1").arg(id));
    }

    // Presses a key in the list, which has the keyboard focus.
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(View(), static_cast<Qt::Key>(key), modifiers);
    }

private slots:
    void init() {
        home_ = std::make_unique<TTestHome>();
        dm_ = std::make_unique<TDM>(home_->Path().toStdString());
        dm_->DataModuleCreate();
        DM = dm_.get();
        std::vector<TTaskRow> rows;
        for (int id = 1; id <= 40; ++id)
            rows.push_back(
                {.id = id, .name = QString("task %1").arg(id, 2, 10, QChar('0')).toStdString()});
        InsertTasks(home_->DatabasePath(), rows);
        ClearShownMessageBoxes();
        main_ = TProgramRig(*dm_, TStartOptions{false, true});
        main_->ShowAtStartup();
        main_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main_.get()));
        QCOMPARE(QApplication::focusWidget(), View());
        QCOMPARE(CurrentRow(), 0);
    }
    void cleanup() {
        VerifyCleanEnd();
        main_.reset();
        DM = nullptr;
        dm_.reset();
        home_.reset();
    }

    void altCShowsTheCategoryMenu() {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            shown = cpm(*main_)->isVisible();
            cpm(*main_)->close();
        });
        QTest::keyClick(View(), Qt::Key_C, Qt::AltModifier);
        QVERIFY(shown);
    }

    void altOAltAAndTheirWindows_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("window");
        QTest::newRow("Alt+O") << int(Qt::Key_O) << "Form14";
        QTest::newRow("Alt+A") << int(Qt::Key_A) << "Form12";
    }
    void altOAltAAndTheirWindows() {
        QFETCH(int, key);
        QFETCH(QString, window);
        QString opened;
        WhenModalOpens([&](QWidget& modal) { opened = modal.objectName(); });
        Press(key, Qt::AltModifier);
        QCOMPARE(opened, window);
    }

    void f1AndAltHOpenTheHelp() {
        QVERIFY(QDir().mkpath(home_->Path() + "/help"));
        const QString page = home_->Path() + "/help/Tolvek Organizer Help.html";
        QFile file(page);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        TOpenedUrls opened;
        QDesktopServices::setUrlHandler("file", &opened, "Open");
        Press(Qt::Key_F1);
        Press(Qt::Key_H, Qt::AltModifier);
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(opened.urls, QList<QUrl>({QUrl::fromLocalFile(page), QUrl::fromLocalFile(page)}));
    }

    void ctrlQExitsAsTheTraysExitDoes() {
        QTimer::singleShot(0, main_.get(), [&] { Press(Qt::Key_Q, Qt::ControlModifier); });
        // A key that ends nothing fails the test rather than leaving it waiting.
        QTimer giveUp;
        giveUp.setSingleShot(true);
        connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        giveUp.start(5000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(main_->ExitRequested);
        QVERIFY(!main_->isVisible());
    }

    void enterAndF2EditTheSelectedTask_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("F2") << int(Qt::Key_F2);
    }
    void enterAndF2EditTheSelectedTask() {
        QFETCH(int, key);
        Press(Qt::Key_Down);
        Press(Qt::Key_Down);
        QCOMPARE(CurrentRow(), 2);
        TForm17& editor = main_.Windows().TaskEditor();
        QString title;
        QString name;
        WhenModalOpens([&](QWidget& modal) {
            QCOMPARE(&modal, &editor);
            title = editor.windowTitle();
            name = Edit1(editor)->text();
        });
        Press(key);
        QCOMPARE(title, QString("Edit Task"));
        QCOMPARE(name, QString("task 03"));
    }

    void insertAndCtrlNAddATask_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Insert") << int(Qt::Key_Insert) << int(Qt::NoModifier);
        QTest::newRow("Ctrl+N") << int(Qt::Key_N) << int(Qt::ControlModifier);
    }
    void insertAndCtrlNAddATask() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        TForm17& editor = main_.Windows().TaskEditor();
        WhenModalOpens([&](QWidget&) {
            QCOMPARE(editor.windowTitle(), QString("Add Task"));
            Edit1(editor)->setText("from the keyboard");
            QTest::keyClick(Edit1(editor), Qt::Key_Return);
        });
        Press(key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(RowCount(home_->DatabasePath(), "t_task"), 41);
        QCOMPARE(List().ShownTasks.back().strName, std::string("from the keyboard"));
        QCOMPARE(CurrentRow(), 40);
        // From a button under the list as well, once the window is active again (the offscreen
        // platform does not give it back when the editor closes, as a window manager does).
        main_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main_.get()));
        BitBtn4(List())->setFocus();
        WhenModalOpens([&](QWidget& modal) { QCOMPARE(&modal, &editor); });
        QTest::keyClick(BitBtn4(List()), static_cast<Qt::Key>(key),
                        Qt::KeyboardModifiers(modifiers));
    }

    void deleteAsksAndDeletesFromTheFile() {
        Press(Qt::Key_End);
        QueueMessageBoxAnswer(QMessageBox::No);
        Press(Qt::Key_Delete);
        QCOMPARE(ShownMessageBoxes(),
                 QStringList{"Confirm: The selected task will be deleted, are you sure?"});
        QCOMPARE(RowCount(home_->DatabasePath(), "t_task"), 40);
        QueueMessageBoxAnswer(QMessageBox::Yes);
        Press(Qt::Key_Delete);
        QCOMPARE(RowCount(home_->DatabasePath(), "t_task"), 39);
        QVERIFY(!Scalar(home_->DatabasePath(), "SELECT id FROM t_task WHERE id = 40").isValid());
        QCOMPARE(CurrentRow(), 38);
    }

    void spaceTurnsTheDoneMarkOverAsTheCheckBoxDoes() {
        Press(Qt::Key_Down);
        Press(Qt::Key_Space);
        QCOMPARE(Done(2), QVariant(1));
        QCOMPARE(List().AllTasks[1].intDone, 1);
        QCOMPARE(View()->model()->index(1, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(),
                 Qt::Checked);
        QCOMPARE(CurrentRow(), 1);
        Press(Qt::Key_Space);
        QCOMPARE(Done(2), QVariant(0));
        QCOMPARE(List().ShownTasks[1].intDone, 0);
        // Only the focused task changes.
        QCOMPARE(Done(1), QVariant(0));
        QCOMPARE(Done(3), QVariant(0));
    }

    void withoutASelectedTaskTheKeysSayWhatTheButtonsSay() {
        View()->setCurrentIndex({});
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        Press(Qt::Key_F2);
        Press(Qt::Key_Delete);
        Press(Qt::Key_Space);
        QCOMPARE(ShownMessageBoxes(),
                 QStringList({"Error: You have not selected the task you want to edit!",
                              "Error: You have not selected the task you want to delete!"}));
        QCOMPARE(Scalar(home_->DatabasePath(), "SELECT SUM(intDone) FROM t_task"), QVariant(0));
    }

    void homeEndAndThePageKeysMoveTheSelection() {
        const auto selected = [this] {
            const QModelIndexList rows = View()->selectionModel()->selectedRows();
            return rows.size() == 1 ? rows.front().row() : -1;
        };
        Press(Qt::Key_End);
        QCOMPARE(CurrentRow(), 39);
        QCOMPARE(selected(), 39);
        Press(Qt::Key_PageUp);
        QVERIFY2(CurrentRow() < 39 && CurrentRow() > 0, qPrintable(QString::number(CurrentRow())));
        QCOMPARE(selected(), CurrentRow());
        Press(Qt::Key_Home);
        QCOMPARE(CurrentRow(), 0);
        QCOMPARE(selected(), 0);
        Press(Qt::Key_PageDown);
        QVERIFY(CurrentRow() > 1);
        QCOMPARE(selected(), CurrentRow());
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    FailOnUnansweredMessageBoxes();
    TestKeyboard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Keyboard.moc"
