// SPDX-License-Identifier: GPL-3.0-or-later

// The print settings window: its state at each showing, the rules of its boxes, the size box
// check and its messages, and the hand-over to the print preview window; and "Print..." on
// the task list, which opens it.

#include "app/Application.h"
#include "printing/Unit18.h"
#include "store/records/TaskArrays.h"
#include "tasklist/BitBtn.h"
#include "tasklist/Unit2.h"
#include "tests/ui/PrintRig.h"
#include "tests/ui/TaskEditorRig.h"
#include "tests/ui/WindowControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// The control the window's focus is on, whether or not the window is active.
bool Focused(const QWidget* control) {
    return control->window()->focusWidget() == control;
}

const QString NotANumber = "Error: Error, please intput valid number!";
const QString NotPositive = "Error: Error, please intput positive number!";

struct TBoxState {
    bool checked;
    bool enabled;
    bool operator==(const TBoxState&) const = default;
};

TBoxState State(const QCheckBox* box) {
    return {box->isChecked(), box->isEnabled()};
}

} // namespace

class TestPrintSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<TPrintRig> rig_;
    std::unique_ptr<TTaskArrays> tasks_;
    std::unique_ptr<TForm18> settings_;

    TForm18& S() { return *settings_; }
    TForm19& Preview() { return *rig_->preview; }
    void Show(bool allCategories = true) {
        S().AllCategories = allCategories;
        S().CategoryName = allCategories ? "" : "Work";
        S().show();
        S().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&S()));
    }
    void Reshow(bool allCategories = true) {
        S().hide();
        Show(allCategories);
    }
    void Type(QLineEdit* box, const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    void ChooseCustom(const QString& height, const QString& width) {
        ComboBox1(S())->setCurrentIndex(6);
        Edit1(S())->setText(height);
        Edit2(S())->setText(width);
    }
    // Acts on the preview window once the hand-over has shown it, then closes it.
    void WhenPreviewOpens(const std::function<void()>& act) {
        QTimer::singleShot(0, &Preview(), [this, act] {
            QVERIFY(Preview().isVisible());
            act();
            Preview().reject();
        });
    }

private slots:
    void initTestCase() {
        // No print service answers here: the only printers are the ones a test hands over.
        qputenv("CUPS_SERVER", QDir::temp().filePath("tolvek-no-cups.sock").toUtf8());
    }
    void init() {
        rig_ = std::make_unique<TPrintRig>();
        InsertTasks(rig_->home.DatabasePath(), {{.id = 1, .name = "one"},
                                                {.id = 2, .name = "two", .category = 2, .done = 1},
                                                {.id = 3, .name = "three", .category = 3},
                                                {.id = 4, .name = "four", .done = 1}});
        tasks_ = std::make_unique<TTaskArrays>(rig_->dm);
        tasks_->Load(0, -1, -1);
        settings_ = std::make_unique<TForm18>(*tasks_, Preview());
    }
    void cleanup() {
        VerifyCleanEnd();
        settings_.reset();
        tasks_.reset();
        rig_.reset();
    }

    void stateAtEachShowing_data() {
        QTest::addColumn<bool>("all");
        QTest::newRow("all categories") << true;
        QTest::newRow("one category") << false;
    }
    void stateAtEachShowing() {
        QFETCH(bool, all);
        Show(all);
        for (int showing = 0; showing < 2; ++showing) {
            QCOMPARE(State(CheckBox1(S())), (TBoxState{true, true}));
            QCOMPARE(State(CheckBox2(S())), (TBoxState{false, false}));
            QCOMPARE(State(CheckBox3(S())), (TBoxState{true, true}));
            QCOMPARE(State(CheckBox4(S())), (TBoxState{true, true}));
            QCOMPARE(State(CheckBox5(S())), (TBoxState{all, all}));
            QCOMPARE(State(CheckBox6(S())), (TBoxState{false, all}));
            QCOMPARE(State(CheckBox7(S())), (TBoxState{false, true}));
            QCOMPARE(State(CheckBox8(S())), (TBoxState{true, true}));
            QVERIFY(Focused(BitBtn1(S())));
            // Changed task options do not outlive the showing.
            CheckBox1(S())->setChecked(false);
            CheckBox7(S())->setChecked(true);
            CheckBox8(S())->setChecked(false);
            CheckBox5(S())->setChecked(false);
            Reshow(all);
        }
    }

    void pageSizeGroupIsSetOnceAndKept() {
        Show();
        QVERIFY(S().SizeInitialised);
        QCOMPARE(ComboBox1(S())->currentText(), QString("A4"));
        QCOMPARE(Edit1(S())->text(), QString("29.70"));
        QCOMPARE(Edit2(S())->text(), QString("21.00"));
        QVERIFY(!Edit1(S())->isEnabled() && !Edit2(S())->isEnabled());
        QVERIFY(RadioButton1(S())->isChecked() && !RadioButton2(S())->isChecked());
        ChooseCustom("10.00", "15.00");
        RadioButton2(S())->setChecked(true);
        Reshow(false);
        QCOMPARE(ComboBox1(S())->currentText(), QString("Custom"));
        QCOMPARE(Edit1(S())->text(), QString("10.00"));
        QCOMPARE(Edit2(S())->text(), QString("15.00"));
        QVERIFY(Edit1(S())->isEnabled() && Edit2(S())->isEnabled());
        QVERIFY(RadioButton2(S())->isChecked());
    }

    void separateCategoriesExcludesTheCategoryColumn() {
        Show();
        CheckBox6(S())->setChecked(true);
        CheckBox5(S())->click();
        QCOMPARE(State(CheckBox6(S())), (TBoxState{false, false}));
        QCOMPARE(State(CheckBox2(S())), (TBoxState{true, true}));
        CheckBox5(S())->click();
        QCOMPARE(State(CheckBox6(S())), (TBoxState{false, true}));
        QCOMPARE(State(CheckBox2(S())), (TBoxState{false, false}));
    }

    void pageSizeListFillsTheBoxes() {
        Show();
        const QStringList heights = {"29.70", "21.00", "35.56", "27.94", "36.40", "25.70"};
        const QStringList widths = {"21.00", "14.80", "21.59", "21.59", "25.70", "18.20"};
        QCOMPARE(ComboBox1(S())->count(), 7);
        for (int item : {1, 2, 3, 4, 5, 0, 6, 3}) {
            ComboBox1(S())->setCurrentIndex(item);
            if (item == 6) {
                QCOMPARE(Edit1(S())->text(), QString());
                QCOMPARE(Edit2(S())->text(), QString());
                QVERIFY(Edit1(S())->isEnabled() && Edit2(S())->isEnabled());
                QVERIFY(Focused(Edit1(S())));
                continue;
            }
            QCOMPARE(ComboBox1(S())->currentText(),
                     (QStringList{"A4", "A5", "Legal", "Letter", "B4", "B5"}[item]));
            QCOMPARE(Edit1(S())->text(), heights[item]);
            QCOMPARE(Edit2(S())->text(), widths[item]);
            QVERIFY(!Edit1(S())->isEnabled() && !Edit2(S())->isEnabled());
        }
    }

    void sizeBoxCheckWhenTheFocusLeaves_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");
        QTest::newRow("blank") << "   "
                               << ""
                               << "";
        QTest::newRow("whole") << "21"
                               << "21.00"
                               << "";
        QTest::newRow("one decimal") << "14.8"
                                     << "14.80"
                                     << "";
        QTest::newRow("rounded up") << "7.125"
                                    << "7.13"
                                    << "";
        QTest::newRow("spaces") << " 12 "
                                << "12.00"
                                << "";
        QTest::newRow("zero") << "0"
                              << ""
                              << "";
        QTest::newRow("negative") << "-3"
                                  << "-3" << NotPositive;
        QTest::newRow("letters") << "abc"
                                 << "abc" << NotANumber;
        QTest::newRow("comma") << "1,5"
                               << "1,5" << NotANumber;
    }
    void sizeBoxCheckWhenTheFocusLeaves() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        Show();
        for (QLineEdit* box : {Edit1(S()), Edit2(S())}) {
            ChooseCustom("", "");
            ClearShownMessageBoxes();
            if (!message.isEmpty())
                QueueMessageBoxAnswer(QMessageBox::Ok);
            Type(box, typed);
            // Leaving the box for another control in the window: the radio buttons. A message
            // comes once the focus has moved.
            RadioButton1(S())->setFocus(Qt::TabFocusReason);
            QCoreApplication::processEvents();
            QCOMPARE(box->text(), shown);
            QCOMPARE(ShownMessageBoxes(), message.isEmpty() ? QStringList() : QStringList{message});
            // After a message the focus stays in the box.
            QCOMPARE(Focused(box), !message.isEmpty());
        }
    }

    void aPressElsewhereIsOverBeforeTheMessage() {
        Show();
        ChooseCustom("", "15.00");
        Type(Edit1(S()), "abc");
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QTest::mousePress(CheckBox1(S()), Qt::LeftButton, {}, QPoint(6, 8));
        QVERIFY(ShownMessageBoxes().isEmpty());
        QTest::mouseRelease(CheckBox1(S()), Qt::LeftButton, {}, QPoint(6, 8));
        QCoreApplication::processEvents();
        QCOMPARE(ShownMessageBoxes(), QStringList{NotANumber});
        QVERIFY(!CheckBox1(S())->isDown());
        QVERIFY(Focused(Edit1(S())));
    }

    void leavingForAButtonLeavesTheMessageToTheHandOver() {
        Show();
        ChooseCustom("", "15");
        Type(Edit1(S()), "abc");
        BitBtn2(S())->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        QVERIFY(ShownMessageBoxes().isEmpty());
        QCOMPARE(Edit1(S())->text(), QString("abc"));
        // A number is still tidied on the way.
        Type(Edit2(S()), "15");
        BitBtn2(S())->setFocus(Qt::MouseFocusReason);
        QCOMPARE(Edit2(S())->text(), QString("15.00"));
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QTest::mouseClick(BitBtn2(S()), Qt::LeftButton);
        QCOMPARE(ShownMessageBoxes(), QStringList{NotANumber});
        QVERIFY(Focused(Edit1(S())));
        QVERIFY(!Preview().isVisible());
    }

    void handOverRefusesWhatIsNotASize_data() {
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("heightFocused");
        QTest::newRow("no height") << ""
                                   << ""
                                   << "Error: Error, page height can not be empty!" << true;
        QTest::newRow("no width") << "10"
                                  << " "
                                  << "Error: Error, page width can not be empty!" << false;
        QTest::newRow("letters") << "ten"
                                 << "15" << NotANumber << true;
        QTest::newRow("zero") << "10"
                              << "0" << NotPositive << false;
        QTest::newRow("negative") << "-10"
                                  << "15" << NotPositive << true;
    }
    void handOverRefusesWhatIsNotASize() {
        QFETCH(QString, height);
        QFETCH(QString, width);
        QFETCH(QString, message);
        QFETCH(bool, heightFocused);
        Show();
        ChooseCustom(height, width);
        const TPrintJob before = Preview().PrintJob;
        for (QPushButton* button : {BitBtn1(S()), BitBtn2(S())}) {
            ClearShownMessageBoxes();
            QueueMessageBoxAnswer(QMessageBox::Ok);
            button->click();
            QCOMPARE(ShownMessageBoxes(), QStringList{message});
            QVERIFY(Focused(heightFocused ? Edit1(S()) : Edit2(S())));
            QVERIFY(Preview().PrintJob.Tasks.empty());
            QCOMPARE(Preview().PrintJob.PageHeight, before.PageHeight);
            QVERIFY(S().isVisible());
        }
        // Enter in the box presses "Print" without the box's own check: refused the same way.
        ClearShownMessageBoxes();
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QTest::keyClick(heightFocused ? Edit1(S()) : Edit2(S()), Qt::Key_Return);
        QCOMPARE(ShownMessageBoxes(), QStringList{message});
        QVERIFY(Preview().PrintJob.Tasks.empty());
    }

    void previewHandsOverTheSettingsAndCopies() {
        Show();
        CheckBox1(S())->setChecked(false);
        CheckBox5(S())->setChecked(false);
        CheckBox4(S())->setChecked(false);
        CheckBox7(S())->setChecked(true);
        CheckBox8(S())->setChecked(false);
        RadioButton2(S())->setChecked(true);
        ChooseCustom("", "");
        // Typed without leaving the box: the hand-over reads the number as it is.
        Type(Edit1(S()), "10.004");
        Type(Edit2(S()), "15");
        std::vector<int> ids;
        for (const TMyRec2& task : tasks_->ShownTasks())
            if (task.intDone == 0)
                ids.push_back(task.id);
        WhenPreviewOpens([&] {
            const TPrintJob& job = Preview().PrintJob;
            QCOMPARE(job.PageSize, 6);
            QCOMPARE(job.PageHeight, 1000);
            QCOMPARE(job.PageWidth, 1500);
            QCOMPARE(job.Landscape, 1);
            QVERIFY(job.AllCategories);
            QCOMPARE(Ids(job.Tasks), ids);
            for (const TMyRec2& task : job.Tasks)
                QVERIFY(task.strCategory.empty());
            QVERIFY(!job.ShowPriority && job.ShowCategory && job.ShowReminder && !job.ShowDueDate);
            QVERIFY(!job.SeparateCategories && !job.CategoryPerPage);
            QVERIFY(job.OnlyUncompleted && !job.PrintNotes && job.PreviewMode);
            QCOMPARE(Label6(Preview())->text(),
                     QString("Paper Type: Custom    H: 10.00cm.  W: 15.00cm."));
        });
        BitBtn2(S())->click();
        QVERIFY(!Preview().isVisible());
        QVERIFY(S().isVisible());
        // Every task again, with the done ones, in list order.
        CheckBox7(S())->setChecked(false);
        WhenPreviewOpens(
            [&] { QCOMPARE(Ids(Preview().PrintJob.Tasks), Ids(tasks_->ShownTasks())); });
        BitBtn2(S())->click();
    }

    void printPrintsWithoutShowingThePreview() {
        QTemporaryDir folder;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath("report.pdf"));
        PrintPreview1(Preview())->SetPrinter(&printer);
        QSignalSpy jobs(PrintPreview1(Preview()), &TPrintPreview::AfterPrint);
        Show(false);
        CheckBox7(S())->setChecked(true);
        BitBtn1(S())->click();
        QCOMPARE(jobs.count(), 1);
        QVERIFY(QFile::exists(folder.filePath("report.pdf")));
        QVERIFY(!Preview().isVisible());
        QVERIFY(S().isVisible());
        QVERIFY(!Preview().PrintJob.PreviewMode);
        QVERIFY(!Preview().PrintJob.AllCategories);
        QCOMPARE(Preview().PrintJob.CategoryName, std::string("Work"));
        QCOMPARE(Preview().PrintJob.Tasks.size(), size_t(2));
        QVERIFY(ShownMessageBoxes().isEmpty());
    }

    void printWithoutAPrinterSaysSo() {
        if (PrintPreview1(Preview())->HasPrinter())
            QSKIP("this machine lists printers without CUPS");
        Show();
        QueueMessageBoxAnswer(QMessageBox::Ok);
        BitBtn1(S())->click();
        QCOMPARE(ShownMessageBoxes(), QStringList{"Error: Can not find printer, job canceled!"});
    }
};

// "Print..." under the task list.
class TestPrintCommand : public QObject {
    Q_OBJECT

    std::unique_ptr<TEditorRig> rig_;
    TForm18* settings_ = nullptr;

    TForm2& List() { return *rig_->main->Form2; }
    void Reload(int category) {
        rig_->main->ShownCategory = category;
        List().LoadTasks(category);
    }

private slots:
    void init() {
        rig_ = std::make_unique<TEditorRig>();
        InsertTasks(rig_->Db(), {{.id = 1, .name = "one", .category = 2},
                                 {.id = 2, .name = "two", .category = 2},
                                 {.id = 3, .name = "three"}});
        settings_ = &rig_->windows->PrintSettings();
    }
    void cleanup() {
        VerifyCleanEnd();
        settings_ = nullptr;
        rig_.reset();
    }

    void oneCategoryGivesItsNameFromTheFirstRow() {
        Reload(2);
        QTimer::singleShot(0, settings_, [this] {
            QVERIFY(settings_->isVisible());
            QVERIFY(!settings_->AllCategories);
            QCOMPARE(settings_->CategoryName, std::string("Work"));
            settings_->reject();
        });
        QTest::mouseClick(BitBtn4(List()), Qt::LeftButton);
        QVERIFY(!settings_->isVisible());
    }

    void allCategories() {
        Reload(0);
        QTimer::singleShot(0, settings_, [this] {
            QVERIFY(settings_->AllCategories);
            QVERIFY(CheckBox5(*settings_)->isChecked());
            settings_->reject();
        });
        List().BitBtn4Click();
    }

    void anEmptyListHasNothingToPrint() {
        Reload(3);
        QVERIFY(List().ShownTasks.empty());
        QueueMessageBoxAnswer(QMessageBox::Ok);
        List().BitBtn4Click();
        QCOMPARE(ShownMessageBoxes(), QStringList{"Error: No Tasks!"});
        QVERIFY(!settings_->SizeInitialised);
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    int failures = 0;
    {
        TestPrintSettings test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        TestPrintCommand test;
        failures += QTest::qExec(&test, argc, argv);
    }
    return failures;
}

#include "tst_PrintSettings.moc"
