// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Application.h"
#include "app/MenuText.h"
#include "app/Unit1.h"
#include "categories/Unit15.h"
#include "store/DmUnit.h"
#include "tasklist/Unit2.h"
#include "tests/ui/ProgramRig.h"
#include "tests/ui/TestSupport.h"
#include "tests/ui/WindowControls.h"
#include "uikit/FrameController.h"
#include "uikit/MessageBox.h"
#include "uikit/MyImage.h"
#include "uikit/myLabel.h"

#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <sqlite3.h>

namespace {

// Throws from its event handler, as a failing database call would.
class ThrowingObject : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User)
            throw std::runtime_error("The database is locked.");
        return QObject::event(event);
    }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TTestHome> home_;
    std::unique_ptr<TDM> dm_;

    TProgramRig Start(bool argument, bool tray = true) {
        TProgramRig form(*dm_, TStartOptions{argument, tray});
        form->ShowAtStartup();
        return form;
    }

private slots:
    void init() {
        home_ = std::make_unique<TTestHome>();
        dm_ = std::make_unique<TDM>(home_->Path().toStdString());
        dm_->DataModuleCreate();
        DM = dm_.get();
        Exec(home_->DatabasePath(), "INSERT INTO t_task (id, strName, intCategory) VALUES "
                                    "(1, 'one', 1), (2, 'two', 2), (3, 'three', 1)");
        ClearShownMessageBoxes();
    }
    void cleanup() {
        VerifyCleanEnd();
        DM = nullptr;
        dm_.reset();
        home_.reset();
    }

    void startsShownWithEveryTaskWithoutAnArgument() {
        auto form = Start(false);
        QVERIFY(form->isVisible());
        QVERIFY(form->MainShown);
        QVERIFY(form->ListShown);
        QVERIFY(form->Form2->isVisible());
        QCOMPARE(form->Form2->ShownTasks.size(), size_t(3));
        QCOMPARE(form->ShownCategory, 0);
        QVERIFY(All1(*form)->isChecked());
        QCOMPARE(form->size(), QSize(788, 569));
    }

    void startsInTheTrayWithAnArgumentWithTasksLoaded() {
        auto form = Start(true);
        QVERIFY(!form->isVisible());
        QVERIFY(!form->MainShown);
        QVERIFY(!form->ListShown);
        QCOMPARE(form->Form2->AllTasks.size(), size_t(3));
        ShowOrganizer1(*form)->trigger();
        QVERIFY(form->isVisible());
        QVERIFY(form->MainShown);
        QVERIFY(form->Form2->isVisible());
    }

    void withoutANotificationAreaTheWindowMinimizesInstead() {
        auto form = Start(true, false);
        QVERIFY(form->isMinimized());
        form->ShowOrganizer();
        QVERIFY(!form->isMinimized());
        form->close();
        QVERIFY(form->isVisible());
        QVERIFY(form->isMinimized());
        QVERIFY(!form->MainShown);
    }

    void closingOnlyHidesAndShowOrganizerBringsItBack() {
        auto form = Start(false);
        for (int i = 0; i < 3; ++i) {
            form->close();
            QVERIFY(!form->isVisible());
            QVERIFY(!form->MainShown);
            form->ShowOrganizer();
            QVERIFY(form->isVisible());
        }
        form->Frame->Image_Close()->clicked();
        QVERIFY(!form->isVisible());
        form->ShowOrganizer();
        // Asking again while shown changes nothing.
        const QRect bounds = form->geometry();
        form->ShowOrganizer();
        QCOMPARE(form->geometry(), bounds);
        QVERIFY(form->MainShown);
    }

    void exitEndsTheEventLoop() {
        auto form = Start(false);
        bool quitByExit = false;
        QTimer::singleShot(0, form.get(), [&] { Exit1(*form)->trigger(); });
        QTimer watchdog;
        connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        watchdog.start(5000);
        quitByExit = QCoreApplication::exec() == 0;
        QVERIFY(quitByExit);
        QVERIFY(form->ExitRequested);
        QVERIFY(!TrayIcon1(*form)->isVisible());
    }

    void aHandlerThatThrowsShowsTheErrorAndTheProgramGoesOn() {
        ThrowingObject thrower;
        QueueMessageBoxAnswer(QMessageBox::Ok);
        const int caught = TApplication::CaughtByNotify();
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::sendPostedEvents(&thrower);
        QCOMPARE(ShownMessageBoxes(), QStringList{"Error: The database is locked."});
        QCOMPARE(TApplication::CaughtByNotify(), caught + 1);
        AcknowledgeLastNetCatches();
        bool later = false;
        QTimer::singleShot(0, [&] { later = true; });
        QTRY_VERIFY(later);
    }

    void categoryMenuWithoutCategories() {
        Exec(home_->DatabasePath(), "DELETE FROM t_category");
        auto form = Start(false);
        QCOMPARE(VisibleTexts(cpm(*form)),
                 (QStringList{"&All", "-", "-", "&Edit Category...", "&Sync..."}));
        QCOMPARE(form->MenuCategories.size(), size_t(0));
    }

    void categoryMenuWithTenCategoriesInPositionOrder() {
        Exec(home_->DatabasePath(), "DELETE FROM t_category");
        for (int i = 1; i <= 10; ++i)
            Exec(home_->DatabasePath(), QString("INSERT INTO t_category VALUES (%1, 'Cat%1 & co', "
                                                "1, %2)")
                                            .arg(i)
                                            .arg(11 - i));
        auto form = Start(false);
        const QStringList texts = VisibleTexts(cpm(*form));
        QCOMPARE(texts.size(), 15);
        QCOMPARE(texts[2], QString("&Cat10 && co"));
        QCOMPARE(texts[3], QString("Ca&t9 && co"));
        QCOMPARE(texts[11], QString("Cat&1 && co"));
        QCOMPARE(form->MenuCategories.front().id, 10);
    }

    void choosingACategoryReloadsOnlyWhenItChanges() {
        auto form = Start(false);
        CategoryItems(*form)[1]->trigger();
        QCOMPARE(form->ShownCategory, 2);
        QCOMPARE(form->Form2->LoadedCategory, 2);
        QCOMPARE(form->Form2->ShownTasks.size(), size_t(1));
        QVERIFY(CategoryItems(*form)[1]->isChecked());
        QVERIFY(!All1(*form)->isChecked());

        // A task added behind the list's back shows only when the list is reloaded.
        Exec(home_->DatabasePath(), "INSERT INTO t_task (id, strName, intCategory) VALUES "
                                    "(4, 'four', 2)");
        CategoryItems(*form)[1]->trigger();
        QCOMPARE(form->Form2->ShownTasks.size(), size_t(1));
        QVERIFY(CategoryItems(*form)[1]->isChecked());

        All1(*form)->trigger();
        QCOMPARE(form->ShownCategory, 0);
        QCOMPARE(form->Form2->ShownTasks.size(), size_t(4));
        Exec(home_->DatabasePath(), "DELETE FROM t_task WHERE id = 4");
        All1(*form)->trigger();
        QCOMPARE(form->Form2->ShownTasks.size(), size_t(4));
    }

    void afterEditingCategoriesTheShownCategoryIsCheckedAtItsNewPlace() {
        auto form = Start(false);
        TForm15& manager = form.Windows().CategoryManager();
        // The categories change behind the manager's back; the manager is only closed.
        auto closeManager = [&] {
            QTimer::singleShot(0, &manager, [&] { BitBtn1(manager)->click(); });
        };
        CategoryItems(*form)[0]->trigger();
        Exec(home_->DatabasePath(), "UPDATE t_category SET intPos = 4 - intPos");
        closeManager();
        form->EditCategory1Click();
        QVERIFY(!manager.isVisible());
        QVERIFY(CategoryItems(*form)[2]->isChecked());
        QVERIFY(!CategoryItems(*form)[0]->isChecked());
        QVERIFY(!All1(*form)->isChecked());

        Exec(home_->DatabasePath(), "DELETE FROM t_category WHERE id = 1");
        closeManager();
        form->EditCategory1Click();
        for (QAction* item : CategoryItems(*form))
            QVERIFY(!item->isChecked());
        QVERIFY(!All1(*form)->isChecked());
        QCOMPARE(form->ShownCategory, 1);
        QCOMPARE(form->Form2->LoadedCategory, 1);
    }

    void menuLabelsSitInARowAndLightUpUnderThePointer() {
        auto form = Start(false);
        const QList<TMyLabel*> labels{Label6(*form), LabelOptions(*form), LabelHelp(*form),
                                      LabelAbout(*form), LabelExit(*form)};
        const QList<int> lefts{15, 75, 128, 162, 205};
        const QList<int> widths{50, 43, 24, 33, 19};
        for (int i = 0; i < labels.size(); ++i) {
            QCOMPARE(labels[i]->pos(), QPoint(lefts[i], 27));
            // "Exit", the last, is as wide as its text needs.
            if (labels[i] == LabelExit(*form))
                QCOMPARE(labels[i]->width(), std::max(widths[i], labels[i]->sizeHint().width()));
            else
                QCOMPARE(labels[i]->width(), widths[i]);
        }
        // No letter of "Exit" is cut: its last column of pixels is clear of the text.
        const QImage exit = LabelExit(*form)->grab().toImage();
        const int right = exit.width() - 1;
        for (int y = 0; y < exit.height(); ++y)
            QVERIFY2(qGray(exit.pixel(right, y)) >= qGray(exit.pixel(0, 0)) - 8,
                     qPrintable(QString("ink at %1,%2").arg(right).arg(y)));
        QCOMPARE(labels[0]->palette().color(QPalette::WindowText), QColor(128, 128, 128));
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(labels[1], &enter);
        QCOMPARE(labels[1]->palette().color(QPalette::WindowText), QColor(250, 250, 250));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(labels[1], &leave);
        QCOMPARE(labels[1]->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    }

    void buttonsAndPanelFollowEveryResize() {
        auto form = Start(false);
        for (const QSize size : {QSize(788, 569), QSize(500, 300), QSize(1200, 900)}) {
            form->resize(size);
            const int w = size.width(), h = size.height();
            QCOMPARE(form->Frame->Image_Min()->pos(), QPoint(w - 53, 5));
            QCOMPARE(form->Frame->Image_Max()->pos(), QPoint(w - 37, 5));
            QCOMPARE(form->Frame->Image_Close()->pos(), QPoint(w - 21, 5));
            QCOMPARE(Panel1(*form)->geometry(), QRect(6, 43, w - 13, h - 50));
            QCOMPARE(form->Form2->geometry(), QRect(QPoint(0, 0), QSize(w - 13, h - 50)));
            QCOMPARE(form->Frame->Label1()->x(), (w - form->Frame->Label1()->width()) / 2);
        }
    }

    void theStripFrameAndBackgroundArePainted() {
        auto form = Start(false);
        const QImage image = form->grab().toImage();
        QCOMPARE(QColor(image.pixel(100, 0)), QColor(131, 131, 131));
        QCOMPARE(QColor(image.pixel(100, 24)), QColor(96, 96, 96));
        QCOMPARE(QColor(image.pixel(0, 300)), QColor(105, 105, 105));
        QCOMPARE(QColor(image.pixel(3, 300)), QColor(200, 200, 200));
    }

    void acceleratorsAreUniqueAndAmpersandsStayPlain() {
        QCOMPARE(WithAccelerators({"All", "apples", "Work & play", "...", "Ab"}),
                 (QStringList{"&All", "a&pples", "&Work && play", "...", "A&b"}));
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestMainWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_MainWindow.moc"
