// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/MessageBox.h"

#include "tests/ui/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontInfo>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QtTest>

// The real boxes, shown and answered by the test as a user would.
class TestMessageBox : public QObject {
    Q_OBJECT

    QRect shownAt_;
    QString family_;

    // Takes down the box once exec() has started, noting where it opened and in what font.
    void AnswerTheBoxWhenItOpens() {
        QTimer::singleShot(0, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shownAt_ = box->frameGeometry();
            family_ = QFontInfo(box->font()).family();
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click()
                                         : box->button(QMessageBox::No)->click();
        });
    }

private slots:
    void init() { SetUnansweredMessageBoxHandler({}); }
    void cleanup() {
        VerifyCleanEnd();
        FailOnUnansweredMessageBoxes();
    }

    void theFirstBoxOpensCentredOverItsWindow() {
        QWidget owner;
        owner.setGeometry(120, 90, 420, 330);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        for (int box = 0; box < 2; ++box) {
            AnswerTheBoxWhenItOpens();
            ShowErrorBox(&owner, "Error, Task can not be empty!");
            QVERIFY(shownAt_.isValid());
            QVERIFY2((shownAt_.center() - owner.frameGeometry().center()).manhattanLength() <= 4,
                     qPrintable(QString("box at %1,%2 %3x%4")
                                    .arg(shownAt_.x())
                                    .arg(shownAt_.y())
                                    .arg(shownAt_.width())
                                    .arg(shownAt_.height())));
            QCOMPARE(family_, QString("Liberation Sans"));
        }
    }

    void aBoxOfAChildControlCentresOverItsWindow() {
        QWidget owner;
        owner.setGeometry(600, 400, 300, 200);
        auto* child = new QWidget(&owner);
        child->setGeometry(10, 10, 20, 20);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        AnswerTheBoxWhenItOpens();
        AskConfirm(child, "The selected task will be deleted, are you sure?");
        QVERIFY2((shownAt_.center() - owner.frameGeometry().center()).manhattanLength() <= 4,
                 qPrintable(QString("box at %1,%2 %3x%4")
                                .arg(shownAt_.x())
                                .arg(shownAt_.y())
                                .arg(shownAt_.width())
                                .arg(shownAt_.height())));
    }

    void aChoiceNamesItsAnswersAndEnterChangesNothing() {
        QStringList buttons;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton* button : box->buttons())
                buttons << button->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QVERIFY(
            !AskChoice(nullptr, "The last sync would delete 7 tasks.", "Delete them", "Keep them"));
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"Delete them", "Keep them"}));
    }
};

QTEST_MAIN(TestMessageBox)
#include "tst_MessageBox.moc"
