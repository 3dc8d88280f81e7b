// SPDX-License-Identifier: GPL-3.0-or-later

// Printing from the preview control, on printers it is handed: PDF files read back with
// pdfinfo, pdftotext and pdftoppm. The machine's own printers are kept out of sight.

#include "tests/ui/PreviewRig.h"

#include <QPrinterInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// What pdfinfo tells of a file: its page count and the first page's size in points.
struct TPdfInfo {
    int pages = 0;
    QSizeF size;
    QString sizeName;
};

TPdfInfo PdfInfo(const QString& path) {
    TPdfInfo info;
    for (const QString& line : Run("pdfinfo", {path}).split('\n')) {
        if (line.startsWith("Pages:"))
            info.pages = line.mid(6).trimmed().toInt();
        if (line.startsWith("Page size:")) {
            const QStringList words = line.mid(10).simplified().split(' ');
            info.size = QSizeF(words.value(0).toDouble(), words.value(2).toDouble());
            info.sizeName = line.section('(', 1).section(')', 0, 0);
        }
    }
    return info;
}

// One page of the file as pixels at the given resolution.
QImage PdfPage(const QString& path, int page, int dpi) {
    const QString stem = path + QString("-page%1").arg(page);
    Run("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", QString::number(page), "-l",
                     QString::number(page), "-singlefile", path, stem});
    return QImage(stem + ".png");
}

bool Near(qreal a, qreal b) {
    return std::abs(a - b) < 1;
}

} // namespace

class TestPreviewPrinting : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void landscapeA4GivesALandscapeA4Page();
    void customPaperGivesItsSizeAndFormName();
    void unchangedPaperReusesTheFormName();
    void drawingLandsOnThePaper_data();
    void drawingLandsOnThePaper();
    void rangeWithProgress();
    void rangeIsKeptToThePagesThereAre();
    void cancelFromProgressStopsThePrinting();
    void nothingIsPrinted_data();
    void nothingIsPrinted();
    void noPrinterInstalled();
    void throughABitmap();
    void directPrinting();
    void printerOptionsAreReadBack();
    void printerOptionsUsedForTheDocument();

private:
    QString Pdf(const QString& name) const { return folder_.filePath(name + ".pdf"); }
    // A PDF printer for the preview, writing to the named file.
    std::unique_ptr<QPrinter> PdfPrinter(const QString& name) const;

    QTemporaryDir folder_;
};

void TestPreviewPrinting::initTestCase() {
    // No print service answers here: the only printers are the ones a test hands over.
    qputenv("CUPS_SERVER", QDir(folder_.path()).filePath("no-cups.sock").toUtf8());
    if (QStandardPaths::findExecutable("pdfinfo").isEmpty() ||
        QStandardPaths::findExecutable("pdftoppm").isEmpty())
        QSKIP("pdfinfo and pdftoppm (Debian package poppler-utils) are not installed");
}

std::unique_ptr<QPrinter> TestPreviewPrinting::PdfPrinter(const QString& name) const {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(Pdf(name));
    return printer;
}

void TestPreviewPrinting::landscapeA4GivesALandscapeA4Page() {
    TPrintPreview preview;
    preview.SetOrientation(poLandscape);
    RecordPages(preview, 1, [](QPainter& canvas, int) { canvas.drawLine(0, 0, 1000, 1000); });
    const auto printer = PdfPrinter("landscape");
    preview.SetPrinter(printer.get());
    QVERIFY(preview.HasPrinter());
    preview.PrintAllPages();
    const TPdfInfo info = PdfInfo(Pdf("landscape"));
    QCOMPARE(info.pages, 1);
    QVERIFY2(Near(info.size.width(), 841.89) && Near(info.size.height(), 595.276),
             qPrintable(QString("%1 x %2").arg(info.size.width()).arg(info.size.height())));
    QCOMPARE(info.sizeName, QString("A4"));
    QCOMPARE(printer->pageLayout().orientation(), QPageLayout::Landscape);
    // A PDF file lists no page sizes of its own.
    QCOMPARE(preview.FormName(), QString("210mm x 297mm"));
}

void TestPreviewPrinting::customPaperGivesItsSizeAndFormName() {
    TPrintPreview preview;
    preview.SetUnits(mmLoMetric);
    preview.SetPaperSize(1000, 1500);
    QCOMPARE(preview.PaperType(), pCustom);
    RecordPages(preview, 1, [](QPainter& canvas, int) { canvas.drawLine(0, 0, 100, 100); });
    const auto printer = PdfPrinter("custom");
    preview.SetPrinter(printer.get());
    preview.PrintAllPages();
    TPdfInfo info = PdfInfo(Pdf("custom"));
    QCOMPARE(info.pages, 1);
    QVERIFY(Near(info.size.width(), 283.465) && Near(info.size.height(), 425.197));
    QCOMPARE(preview.FormName(), QString("100mm x 150mm"));
    QCOMPARE(printer->pageLayout().pageSize().name(), QString("100mm x 150mm"));

    // Landscape, the name and the size given are the portrait ones; the page lies across.
    preview.SetOrientation(poLandscape);
    QCOMPARE(preview.PaperWidth(), 1500);
    RecordPages(preview, 1, [](QPainter& canvas, int) { canvas.drawLine(0, 0, 100, 100); });
    const auto across = PdfPrinter("custom-landscape");
    preview.SetPrinter(across.get());
    preview.PrintAllPages();
    info = PdfInfo(Pdf("custom-landscape"));
    QVERIFY(Near(info.size.width(), 425.197) && Near(info.size.height(), 283.465));
    QCOMPARE(preview.FormName(), QString("100mm x 150mm"));
    QCOMPARE(across->pageLayout().pageSize().size(QPageSize::Millimeter), QSizeF(100, 150));
}

void TestPreviewPrinting::unchangedPaperReusesTheFormName() {
    TPrintPreview preview;
    preview.SetPaperType(pA5);
    RecordPages(preview, 1, [](QPainter& canvas, int) { canvas.drawLine(0, 0, 100, 100); });
    QCOMPARE(preview.FormName(), QString());
    const auto first = PdfPrinter("first");
    preview.SetPrinter(first.get());
    preview.PrintAllPages();
    QCOMPARE(preview.FormName(), QString("148mm x 210mm"));
    const auto second = PdfPrinter("second");
    preview.SetPrinter(second.get());
    // Handing over another printer asks for the name again.
    QCOMPARE(preview.FormName(), QString());
    preview.PrintAllPages();
    preview.PrintAllPages();
    QCOMPARE(preview.FormName(), QString("148mm x 210mm"));
    QCOMPARE(PdfInfo(Pdf("second")).size, PdfInfo(Pdf("first")).size);
    // Another paper clears the name until the next run finds it.
    preview.SetPaperType(pB5);
    QCOMPARE(preview.FormName(), QString());
    preview.PrintAllPages();
    QCOMPARE(preview.FormName(), QString("182mm x 257mm"));
    preview.SetPaperSize(10000, 10000);
    QCOMPARE(preview.FormName(), QString());
    preview.PrintAllPages();
    preview.SetOrientation(poLandscape);
    QCOMPARE(preview.FormName(), QString("100mm x 100mm"));
}

void TestPreviewPrinting::drawingLandsOnThePaper_data() {
    QTest::addColumn<bool>("fullPage");
    QTest::newRow("printer with margins") << false;
    QTest::newRow("printer on the whole sheet") << true;
}

void TestPreviewPrinting::drawingLandsOnThePaper() {
    QFETCH(bool, fullPage);
    TPrintPreview preview;
    RecordPages(preview, 1, [](QPainter& canvas, int) {
        // 20 by 10 mm, 10 mm from the paper's corner; a frame on the paper's edges.
        canvas.fillRect(QRect(1000, 1000, 2000, 1000), Qt::black);
        canvas.setPen(QPen(Qt::black, 100));
        canvas.drawRect(QRect(50, 50, 21000 - 100, 29700 - 100));
        canvas.setFont(QFont("Arial", 24));
        canvas.drawText(QPoint(1000, 5000), "Tolvek page text");
    });
    const auto printer = PdfPrinter("lands");
    printer->setFullPage(fullPage);
    printer->setPageMargins(QMarginsF(15, 20, 15, 20), QPageLayout::Millimeter);
    preview.SetPrinter(printer.get());
    preview.PrintAllPages();
    // Vector text stays text.
    QVERIFY(Run("pdftotext", {Pdf("lands"), "-"}).contains("Tolvek page text"));
    // At 254 pixels per inch a pixel is a tenth of a millimetre.
    const QImage page = PdfPage(Pdf("lands"), 1, 254);
    QCOMPARE(page.width(), 2100);
    QVERIFY(std::abs(page.height() - 2970) <= 1);
    const QRect box = InkBounds(page.copy(30, 30, 400, 300)).translated(30, 30);
    QVERIFY2(std::abs(box.left() - 100) <= 2 && std::abs(box.top() - 100) <= 2 &&
                 std::abs(box.width() - 200) <= 2 && std::abs(box.height() - 100) <= 2,
             qPrintable(QString("%1,%2 %3x%4")
                            .arg(box.left())
                            .arg(box.top())
                            .arg(box.width())
                            .arg(box.height())));
    // The frame is a millimetre wide on each edge of the sheet.
    for (const QPoint& edge :
         {QPoint(5, 1500), QPoint(2094, 1500), QPoint(1000, 5), QPoint(1000, page.height() - 6)})
        QVERIFY2(qGray(page.pixel(edge)) < 100,
                 qPrintable(QString("%1,%2").arg(edge.x()).arg(edge.y())));
    QVERIFY(qGray(page.pixel(15, 1500)) > 200);
}

void TestPreviewPrinting::rangeWithProgress() {
    TPrintPreview preview;
    preview.SetUnits(mmLoMetric);
    // Page n has n bars of 5 mm down its left side.
    RecordPages(preview, 4, [](QPainter& canvas, int page) {
        for (int bar = 0; bar < page; ++bar)
            canvas.fillRect(QRect(200, 200 + bar * 100, 300, 50), Qt::black);
    });
    const auto printer = PdfPrinter("range");
    preview.SetPrinter(printer.get());
    preview.SetPrintJobTitle("Tolvek range");
    QStringList progress;
    connect(&preview, &TPrintPreview::PrintProgress, [&](int page, int percent, bool&) {
        progress << QString("%1:%2").arg(page).arg(percent);
        QCOMPARE(preview.DocumentState(), dsPrinting);
        QCOMPARE(printer->docName(), QString("Tolvek range"));
    });
    QSignalSpy before(&preview, &TPrintPreview::BeforePrint);
    QSignalSpy after(&preview, &TPrintPreview::AfterPrint);
    preview.PrintPageRange(2, 4);
    QCOMPARE(progress, QStringList({"2:0", "2:33", "3:33", "3:67", "4:67", "4:100"}));
    QCOMPARE(before.count(), 1);
    QCOMPARE(after.count(), 1);
    QCOMPARE(preview.DocumentState(), dsIdle);
    QCOMPARE(printer->docName(), QString());
    QCOMPARE(PdfInfo(Pdf("range")).pages, 3);
    for (int printed = 1; printed <= 3; ++printed) {
        const QImage page = PdfPage(Pdf("range"), printed, 50);
        int bars = 0;
        for (int y = 1; y < page.height(); ++y)
            if (qGray(page.pixel(60, y)) < 128 && qGray(page.pixel(60, y - 1)) >= 128)
                ++bars;
        QCOMPARE(bars, printed + 1);
    }
}

void TestPreviewPrinting::rangeIsKeptToThePagesThereAre() {
    TPrintPreview preview;
    RecordPages(preview, 3, [](QPainter& canvas, int) { canvas.drawLine(0, 0, 100, 100); });
    const auto printer = PdfPrinter("kept");
    preview.SetPrinter(printer.get());
    preview.PrintPageRange(2, 10);
    QCOMPARE(PdfInfo(Pdf("kept")).pages, 2);
    const auto all = PdfPrinter("all");
    preview.SetPrinter(all.get());
    preview.PrintPageRange(-4, 10);
    QCOMPARE(PdfInfo(Pdf("all")).pages, 3);
}

void TestPreviewPrinting::cancelFromProgressStopsThePrinting() {
    TPrintPreview preview;
    RecordPages(preview, 3, [](QPainter& canvas, int) { canvas.drawLine(0, 0, 100, 100); });
    const auto printer = PdfPrinter("cancelled");
    preview.SetPrinter(printer.get());
    QStringList progress;
    connect(&preview, &TPrintPreview::PrintProgress, [&](int page, int percent, bool& cancel) {
        progress << QString("%1:%2").arg(page).arg(percent);
        cancel = page == 2;
    });
    QSignalSpy aborted(&preview, &TPrintPreview::DocumentAborted);
    QSignalSpy after(&preview, &TPrintPreview::AfterPrint);
    preview.PrintAllPages();
    QCOMPARE(progress, QStringList({"1:0", "1:33", "2:33"}));
    QCOMPARE(aborted.count(), 1);
    QCOMPARE(after.count(), 1);
    QCOMPARE(preview.DocumentState(), dsIdle);
    // The page asked for is not started: the job holds what was printed before.
    QCOMPARE(PdfInfo(Pdf("cancelled")).pages, 1);
    // The control prints again afterwards.
    progress.clear();
    const auto again = PdfPrinter("again");
    preview.SetPrinter(again.get());
    disconnect(&preview, &TPrintPreview::PrintProgress, nullptr, nullptr);
    preview.PrintAllPages();
    QCOMPARE(PdfInfo(Pdf("again")).pages, 3);
}

void TestPreviewPrinting::nothingIsPrinted_data() {
    QTest::addColumn<QString>("why");
    QTest::newRow("from 3 to 2") << "backwards";
    QTest::newRow("no pages") << "empty";
    QTest::newRow("document open") << "open";
}

void TestPreviewPrinting::nothingIsPrinted() {
    QFETCH(QString, why);
    TPrintPreview preview;
    if (why != "empty")
        RecordPages(preview, 3, [](QPainter& canvas, int) { canvas.drawLine(0, 0, 100, 100); });
    const QString name = "nothing-" + why;
    const auto printer = PdfPrinter(name);
    preview.SetPrinter(printer.get());
    QSignalSpy before(&preview, &TPrintPreview::BeforePrint);
    QSignalSpy after(&preview, &TPrintPreview::AfterPrint);
    if (why == "open")
        preview.BeginDoc();
    if (why == "backwards")
        preview.PrintPageRange(3, 2);
    else
        preview.PrintAllPages();
    QCOMPARE(before.count(), 0);
    QCOMPARE(after.count(), 0);
    QVERIFY(!QFile::exists(Pdf(name)));
    QCOMPARE(preview.DocumentState(), why == "open" ? dsRecording : dsIdle);
}

void TestPreviewPrinting::noPrinterInstalled() {
    QVERIFY(QPrinterInfo::availablePrinterNames().isEmpty());
    TPrintPreview preview;
    QVERIFY(!preview.HasPrinter());
    RecordPages(preview, 2, [](QPainter& canvas, int) { canvas.drawLine(0, 0, 100, 100); });
    QSignalSpy before(&preview, &TPrintPreview::BeforePrint);
    preview.PrintAllPages();
    preview.ApplyPrinterOptions();
    preview.ReadPrinterOptions();
    QCOMPARE(before.count(), 0);
    QCOMPARE(preview.FormName(), QString());
    QCOMPARE(preview.PaperType(), pA4);
    // Handing a printer over and taking it back.
    const auto printer = PdfPrinter("handed");
    preview.SetPrinter(printer.get());
    QVERIFY(preview.HasPrinter());
    preview.SetPrinter(nullptr);
    QVERIFY(!preview.HasPrinter());
}

void TestPreviewPrinting::throughABitmap() {
    TPrintPreview preview;
    preview.SetFastPrint(false);
    RecordPages(preview, 1, [](QPainter& canvas, int) {
        canvas.fillRect(QRect(1000, 1000, 2000, 1000), Qt::black);
        canvas.setFont(QFont("Arial", 24));
        canvas.drawText(QPoint(1000, 5000), "Tolvek bitmap text");
    });
    const auto printer = PdfPrinter("bitmap");
    preview.SetPrinter(printer.get());
    preview.PrintAllPages();
    QVERIFY(!Run("pdftotext", {Pdf("bitmap"), "-"}).contains("Tolvek"));
    const QImage page = PdfPage(Pdf("bitmap"), 1, 254);
    const QRect box = InkBounds(page.copy(0, 0, 400, 300));
    QVERIFY(std::abs(box.left() - 100) <= 3 && std::abs(box.top() - 100) <= 3);
    QVERIFY(std::abs(box.width() - 200) <= 3 && std::abs(box.height() - 100) <= 3);
    QVERIFY(InkBounds(page.copy(0, 400, 1000, 200)).isValid());
}

void TestPreviewPrinting::directPrinting() {
    TPrintPreview preview;
    preview.SetDirectPrint(true);
    preview.SetUnits(mmLoMetric);
    preview.SetPaperType(pA5);
    const auto printer = PdfPrinter("direct");
    preview.SetPrinter(printer.get());
    QSignalSpy changed(&preview, &TPrintPreview::Changed);
    preview.BeginDoc();
    QCOMPARE(preview.DocumentState(), dsPrinting);
    preview.PageCanvas()->fillRect(QRect(100, 100, 200, 100), Qt::black);
    preview.NewPage();
    preview.PageCanvas()->fillRect(QRect(100, 300, 200, 100), Qt::black);
    preview.EndDoc();
    QCOMPARE(preview.DocumentState(), dsIdle);
    QCOMPARE(preview.TotalPages(), 0);
    QCOMPARE(changed.count(), 0);
    const TPdfInfo info = PdfInfo(Pdf("direct"));
    QCOMPARE(info.pages, 2);
    QVERIFY(Near(info.size.width(), 419.528) && Near(info.size.height(), 595.276));
    const QRect second = InkBounds(PdfPage(Pdf("direct"), 2, 254));
    QVERIFY(std::abs(second.top() - 300) <= 2 && std::abs(second.left() - 100) <= 2);

    // An aborted direct document ends the job.
    const auto aborted = PdfPrinter("direct-aborted");
    preview.SetPrinter(aborted.get());
    preview.BeginDoc();
    preview.AbortDoc();
    QCOMPARE(preview.DocumentState(), dsIdle);
    QVERIFY(!preview.PageCanvas());
}

void TestPreviewPrinting::printerOptionsAreReadBack() {
    TPrintPreview preview;
    const auto printer = PdfPrinter("read");
    preview.SetPrinter(printer.get());
    printer->setPageSize(QPageSize(QPageSize::Letter));
    printer->setPageOrientation(QPageLayout::Landscape);
    preview.ReadPrinterOptions();
    QCOMPARE(preview.PaperType(), pLetter);
    QCOMPARE(preview.Orientation(), poLandscape);
    QCOMPARE(PaperSize(preview), QSize(27940, 21590));
    QCOMPARE(preview.FormName(), QPageSize(QPageSize::Letter).name());

    printer->setPageSize(QPageSize(QSizeF(120, 170), QPageSize::Millimeter, "Card"));
    printer->setPageOrientation(QPageLayout::Portrait);
    preview.ReadPrinterOptions();
    QCOMPARE(preview.PaperType(), pCustom);
    QCOMPARE(preview.Orientation(), poPortrait);
    QCOMPARE(PaperSize(preview), QSize(12000, 17000));
    QCOMPARE(preview.FormName(), QString("Card"));
    // The printer's name for the size is what the next run gives it.
    RecordPages(preview, 1, [](QPainter& canvas, int) { canvas.drawLine(0, 0, 100, 100); });
    preview.PrintAllPages();
    QCOMPARE(printer->pageLayout().pageSize().name(), QString("Card"));
}

void TestPreviewPrinting::printerOptionsUsedForTheDocument() {
    TPrintPreview preview;
    preview.SetUsePrinterOptions(true);
    const auto printer = PdfPrinter("printer-options");
    printer->setPageSize(QPageSize(QPageSize::A5));
    preview.SetPrinter(printer.get());
    // The document takes the printer's paper, and prints on the printer's whole page.
    RecordPages(preview, 1, [](QPainter& canvas, int) {
        canvas.fillRect(QRect(0, 0, 14800, 21000), Qt::black);
    });
    QCOMPARE(preview.PaperType(), pA5);
    preview.PrintAllPages();
    QCOMPARE(printer->pageLayout().pageSize().id(), QPageSize::A5);
    const QImage page = PdfPage(Pdf("printer-options"), 1, 50);
    const QRect ink = InkBounds(page);
    QCOMPARE(ink.topLeft(), QPoint(0, 0));
    QCOMPARE(ink.width(), page.width());
    QVERIFY(ink.height() >= page.height() - 1);
}

QTEST_MAIN(TestPreviewPrinting)
#include "tst_PreviewPrinting.moc"
