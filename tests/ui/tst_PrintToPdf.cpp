// SPDX-License-Identifier: GPL-3.0-or-later
// Printing with no printer at all: after the message, the report the command would have
// printed is saved as a PDF file when the user wants it; read back with pdfinfo and pdftotext.

#include "app/Application.h"
#include "printing/SaveFileName.h"
#include "printing/Unit18.h"
#include "store/records/TaskArrays.h"
#include "tests/ui/PdfTools.h"
#include "tests/ui/PrintRig.h"
#include "tests/ui/WindowControls.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <cmath>

namespace {

const QString NoPrinter = "Error: Can not find printer, job canceled!";
const QString Offer = "Confirm: Save the report as a PDF file instead?";

} // namespace

class TestPrintToPdf : public QObject {
    Q_OBJECT

    std::unique_ptr<TPrintRig> rig_;
    std::unique_ptr<TTaskArrays> tasks_;
    std::unique_ptr<TForm18> settings_;
    std::unique_ptr<QTemporaryDir> folder_;

    TForm18& S() { return *settings_; }
    TForm19& P() { return *rig_->preview; }
    TPrintPreview& Control() { return *PrintPreview1(*rig_->preview); }
    QString Saved() const { return folder_->filePath("report.pdf"); }
    void ShowSettings() {
        S().AllCategories = true;
        S().show();
        S().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&S()));
    }
    // The answers of a user who wants the PDF, in the file named.
    void WantPdf(const QString& fileName) {
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QueueMessageBoxAnswer(QMessageBox::Yes);
        QueueSaveFileNameAnswer(fileName);
    }
    // The text of a page as the preview shows it: the page laid out on its own, printed alone.
    QString PreviewText(int page) {
        const QString file = folder_->filePath(QString("preview-%1.pdf").arg(page));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        P().DrawReportPage(page);
        Control().SetPrinter(&printer);
        Control().PrintAllPages();
        Control().SetPrinter(nullptr);
        return PdfText(file, 1);
    }
    // The paper laid out on the control, in points.
    QSizeF LaidOut() {
        return QSizeF(Control().PaperWidth() * 72.0 / Control().logicalDpiX(),
                      Control().PaperHeight() * 72.0 / Control().logicalDpiY());
    }

private slots:
    void initTestCase() {
        // No print service answers here, and Qt then lists no printer at all.
        qputenv("CUPS_SERVER", QDir::temp().filePath("tolvek-no-cups.sock").toUtf8());
        QVERIFY(QPrinterInfo::availablePrinterNames().isEmpty());
        if (QStandardPaths::findExecutable("pdfinfo").isEmpty() ||
            QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdfinfo and pdftotext (Debian package poppler-utils) are not installed");
    }
    void init() {
        rig_ = std::make_unique<TPrintRig>();
        std::vector<TTaskRow> rows;
        for (int id = 1; id <= 100; ++id)
            rows.push_back({.id = id,
                            .name = "Task number " + std::to_string(id),
                            .category = 1 + id % 3,
                            .priority = id % 2,
                            .note = id % 5 == 0 ? std::optional<std::string>("A note of the task")
                                                : std::nullopt});
        InsertTasks(rig_->home.DatabasePath(), rows);
        tasks_ = std::make_unique<TTaskArrays>(rig_->dm);
        tasks_->Load(0, -1, -1);
        settings_ = std::make_unique<TForm18>(*tasks_, P());
        folder_ = std::make_unique<QTemporaryDir>();
    }
    void cleanup() {
        QCOMPARE(DropSaveFileNameAnswers(), 0);
        VerifyCleanEnd();
        settings_.reset();
        tasks_.reset();
        rig_.reset();
    }

    void printSavesTheWholeReportAsOnePdf_data() {
        QTest::addColumn<int>("paper");
        QTest::addColumn<bool>("landscape");
        QTest::newRow("A4") << 0 << false;
        QTest::newRow("B4 landscape") << 4 << true;
    }
    void printSavesTheWholeReportAsOnePdf() {
        QFETCH(int, paper);
        QFETCH(bool, landscape);
        ShowSettings();
        ComboBox1(S())->setCurrentIndex(paper);
        (landscape ? RadioButton2(S()) : RadioButton1(S()))->setChecked(true);
        WantPdf(Saved());
        BitBtn1(S())->click();
        QCOMPARE(ShownMessageBoxes(), (QStringList{NoPrinter, Offer}));
        QCOMPARE(AskedSaveFileNames(), QStringList{"Save the report as a PDF file: " +
                                                   QDir::home().filePath("Tasks.pdf")});
        const int pages = P().Layout.PageCount;
        QVERIFY(pages >= 3);
        // One document: every page of the preview in order, on the paper laid out.
        const QList<QSizeF> sizes = PdfPageSizes(Saved());
        QCOMPARE(sizes.size(), pages);
        const QSizeF laidOut = LaidOut();
        QCOMPARE(laidOut.width() > laidOut.height(), landscape);
        for (const QSizeF& size : sizes)
            QVERIFY2(std::abs(size.width() - laidOut.width()) < 1 &&
                         std::abs(size.height() - laidOut.height()) < 1,
                     qPrintable(QString("%1 x %2").arg(size.width()).arg(size.height())));
        // The control holds the last page, as after printing.
        QCOMPARE(Control().TotalPages(), 1);
        const QImage last = rig_->Page();
        P().DrawReportPage(pages);
        QCOMPARE(rig_->Page(), last);
        for (int page = 1; page <= pages; ++page) {
            const QString text = PdfText(Saved(), page);
            QVERIFY(text.contains(QString("%1/%2").arg(page).arg(pages)));
            const int first = P().Layout.PageFirstTask[size_t(page - 1)];
            QVERIFY(
                text.contains(QString::fromStdString(P().PrintJob.Tasks[size_t(first)].strName)));
            QCOMPARE(text, PreviewText(page));
        }
        QVERIFY(!P().isVisible());
    }

    void printAllAndPrintCurrentFromThePreview() {
        P().PrintJob.Tasks = tasks_->PrintCopies(false);
        P().PrintJob.PreviewMode = true;
        P().show();
        QVERIFY(QTest::qWaitForWindowExposed(&P()));
        ToolButton7(P())->click();
        const QImage second = rig_->Page();
        WantPdf(Saved());
        BitBtn1(P())->click();
        QCOMPARE(ShownMessageBoxes(), (QStringList{NoPrinter, Offer}));
        QCOMPARE(PdfPageSizes(Saved()).size(), 1);
        QCOMPARE(PdfText(Saved(), 1), PreviewText(2));
        QVERIFY(PdfText(Saved(), 1).contains(QString("2/%1").arg(P().Layout.PageCount)));

        ToolButton6(P())->click();
        QVERIFY(rig_->Page() != second);
        ClearShownMessageBoxes();
        DropSaveFileNameAnswers();
        const QString all = folder_->filePath("all.pdf");
        WantPdf(all);
        BitBtn2(P())->click();
        QCOMPARE(ShownMessageBoxes(), (QStringList{NoPrinter, Offer}));
        QCOMPARE(PdfPageSizes(all).size(), P().Layout.PageCount);
        // The page box and the buttons stay on page 1.
        QCOMPARE(P().CurrentPage, 1);
        QCOMPARE(Edit1(P())->text(), QString("1"));
        P().reject();
    }

    void noOrACancelledDialogEndsTheCommand() {
        ShowSettings();
        QueueMessageBoxAnswer(QMessageBox::Ok);
        QueueMessageBoxAnswer(QMessageBox::No);
        BitBtn1(S())->click();
        QCOMPARE(ShownMessageBoxes(), (QStringList{NoPrinter, Offer}));
        QVERIFY(AskedSaveFileNames().isEmpty());
        ClearShownMessageBoxes();
        WantPdf(QString());
        BitBtn1(S())->click();
        QCOMPARE(ShownMessageBoxes(), (QStringList{NoPrinter, Offer}));
        QCOMPARE(AskedSaveFileNames().size(), 1);
        QVERIFY(QDir(folder_->path()).isEmpty());
    }

    void aFileThatCannotBeWrittenSaysWhy() {
        ShowSettings();
        const QString missing = folder_->filePath("no such folder/report.pdf");
        WantPdf(missing);
        QueueMessageBoxAnswer(QMessageBox::Ok);
        BitBtn1(S())->click();
        QCOMPARE(ShownMessageBoxes(), (QStringList{NoPrinter, Offer,
                                                   "Error: Error, can not write " + missing +
                                                       ": No such file or directory"}));
        QVERIFY(QDir(folder_->path()).isEmpty());
        // A file that is there already is replaced (the dialog asks the user about it).
        QFile kept(folder_->filePath("kept.pdf"));
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.write("earlier");
        kept.close();
        ClearShownMessageBoxes();
        DropSaveFileNameAnswers();
        WantPdf(kept.fileName());
        BitBtn1(S())->click();
        QCOMPARE(ShownMessageBoxes(), (QStringList{NoPrinter, Offer}));
        QCOMPARE(PdfPageSizes(kept.fileName()).size(), P().Layout.PageCount);
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestPrintToPdf test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_PrintToPdf.moc"
