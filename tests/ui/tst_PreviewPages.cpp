// SPDX-License-Identifier: GPL-3.0-or-later

// The preview control's documents and pages: the recording cycle, the page store in memory
// and in a temporary file, pages that cannot be made or stored, and fitted pictures.

#include "app/Application.h"
#include "tests/ui/PreviewRig.h"
#include "uikit/MessageBox.h"
#include "uikit/Reporting.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <new>
#include <sys/resource.h>

namespace {

// Page n carries a bar n pixels long on row 12, so that every page reads back as itself.
void DrawNumberedPage(QPainter& canvas, int page) {
    canvas.fillRect(QRect(10, 10, page, 5), Qt::black);
}

int BarLength(TPrintPreview& preview, int page) {
    const QImage image = PlayedPage(preview, page, QSize(794, 1123));
    int length = 0;
    for (int x = 0; x < image.width(); ++x)
        if (qGray(image.pixel(x, 12)) < 128)
            ++length;
    return length;
}

QStringList PageFiles(const QString& folder) {
    return QDir(folder).entryList({"PP*"}, QDir::Files);
}

// A preview whose n-th page picture cannot be made, as when memory runs out.
class TFailingPreview : public TPrintPreview {
public:
    int failAt = 0;
    int made = 0;

protected:
    std::unique_ptr<TPagePicture> MakePagePicture() override {
        if (++made == failAt)
            throw std::bad_alloc();
        return TPrintPreview::MakePagePicture();
    }
};

} // namespace

class TestPreviewPages : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void documentCycleInOrder();
    void openDocumentIgnoresBeginDocAndTheNextOneClears();
    void abortDropsTheDocument();
    void shownPageIsClamped();
    void pagesReadBack_data();
    void pagesReadBack();
    void switchingTempFileKeepsThePages();
    void replacedPageMovesTheLaterPages_data();
    void replacedPageMovesTheLaterPages();
    void pageThatCannotBeMadeLeavesNothing_data();
    void pageThatCannotBeMadeLeavesNothing();
    void pageErrorReachesTheErrorBox();
    void pagesThatCannotBeStoredLeaveNothing();
    void graphicFitted_data();
    void graphicFitted();
    void graphicKeepsItsPixels_data();
    void graphicKeepsItsPixels();

private:
    QTemporaryDir tempFolder_;
    QByteArray savedTmp_;
};

void TestPreviewPages::init() {
    // Temporary page files go where the test can see them.
    savedTmp_ = qgetenv("TMPDIR");
    qputenv("TMPDIR", tempFolder_.path().toUtf8());
}

void TestPreviewPages::cleanup() {
    qputenv("TMPDIR", savedTmp_);
    QCOMPARE(PageFiles(tempFolder_.path()), QStringList());
}

void TestPreviewPages::documentCycleInOrder() {
    TPrintPreview preview;
    preview.SetUnits(mmPixel);
    QStringList events;
    connect(&preview, &TPrintPreview::DocumentBegun, [&] { events << "begun"; });
    connect(&preview, &TPrintPreview::PageStarted, [&] { events << "page"; });
    connect(&preview, &TPrintPreview::PageEnded, [&] { events << "page ended"; });
    connect(&preview, &TPrintPreview::DocumentEnded, [&] { events << "ended"; });
    connect(&preview, &TPrintPreview::Changed, [&] {
        events << QString("changed %1/%2").arg(preview.ShownPage()).arg(preview.TotalPages());
    });

    preview.BeginDoc();
    QCOMPARE(preview.DocumentState(), dsRecording);
    QVERIFY(preview.PageCanvas());
    DrawNumberedPage(*preview.PageCanvas(), 1);
    preview.NewPage();
    DrawNumberedPage(*preview.PageCanvas(), 2);
    QCOMPARE(preview.TotalPages(), 1);
    preview.EndDoc();
    QCOMPARE(preview.DocumentState(), dsIdle);
    QVERIFY(!preview.PageCanvas());
    QCOMPARE(preview.TotalPages(), 2);
    QCOMPARE(preview.ShownPage(), 1);
    QCOMPARE(events, QStringList({"begun", "page", "page ended", "changed 1/1", "page",
                                  "page ended", "changed 1/2", "ended"}));
    QCOMPARE(BarLength(preview, 1), 1);
    QCOMPARE(BarLength(preview, 2), 2);

    // Nothing of the cycle happens outside a document.
    events.clear();
    preview.NewPage();
    preview.EndDoc();
    QCOMPARE(events, QStringList());
}

void TestPreviewPages::openDocumentIgnoresBeginDocAndTheNextOneClears() {
    TPrintPreview preview;
    preview.SetUnits(mmPixel);
    RecordPages(preview, 3, DrawNumberedPage);
    QSignalSpy begun(&preview, &TPrintPreview::DocumentBegun);
    preview.BeginDoc();
    QCOMPARE(preview.TotalPages(), 0);
    QCOMPARE(preview.ShownPage(), 0);
    preview.BeginDoc();
    QCOMPARE(begun.count(), 1);
    DrawNumberedPage(*preview.PageCanvas(), 7);
    preview.EndDoc();
    QCOMPARE(preview.TotalPages(), 1);
    QCOMPARE(BarLength(preview, 1), 7);
}

void TestPreviewPages::abortDropsTheDocument() {
    TPrintPreview preview;
    preview.SetUnits(mmPixel);
    QSignalSpy aborted(&preview, &TPrintPreview::DocumentAborted);
    QSignalSpy ended(&preview, &TPrintPreview::DocumentEnded);
    preview.BeginDoc();
    DrawNumberedPage(*preview.PageCanvas(), 1);
    preview.NewPage();
    preview.AbortDoc();
    preview.AbortDoc();
    QCOMPARE(aborted.count(), 1);
    QCOMPARE(preview.TotalPages(), 0);
    QVERIFY(!preview.PageCanvas());
    // The aborted document is over: nothing is left open to end, and a new one can begin.
    QCOMPARE(preview.DocumentState(), dsIdle);
    preview.EndDoc();
    QCOMPARE(ended.count(), 0);
    RecordPages(preview, 2, DrawNumberedPage);
    QCOMPARE(preview.TotalPages(), 2);
}

void TestPreviewPages::shownPageIsClamped() {
    TPrintPreview preview;
    preview.SetShownPage(3);
    QCOMPARE(preview.ShownPage(), 0);
    RecordPages(preview, 4, DrawNumberedPage);
    QSignalSpy changed(&preview, &TPrintPreview::Changed);
    preview.SetShownPage(9);
    QCOMPARE(preview.ShownPage(), 4);
    preview.SetShownPage(-2);
    QCOMPARE(preview.ShownPage(), 1);
    preview.SetShownPage(1);
    QCOMPARE(changed.count(), 2);
    preview.Clear();
    QCOMPARE(preview.TotalPages(), 0);
    QCOMPARE(preview.ShownPage(), 0);
}

void TestPreviewPages::pagesReadBack_data() {
    QTest::addColumn<bool>("tempFile");
    QTest::newRow("memory") << false;
    QTest::newRow("temporary file") << true;
}

void TestPreviewPages::pagesReadBack() {
    QFETCH(bool, tempFile);
    {
        TPrintPreview preview;
        preview.SetUnits(mmPixel);
        preview.SetUseTempFile(tempFile);
        RecordPages(preview, 300, DrawNumberedPage);
        QCOMPARE(preview.TotalPages(), 300);
        QCOMPARE(PageFiles(tempFolder_.path()).size(), tempFile ? 1 : 0);
        if (tempFile)
            QVERIFY(PageFiles(tempFolder_.path()).first().startsWith("PP"));
        // Out of order, so that no page is read only because it follows the last one.
        for (int page : {300, 1, 150, 2, 299})
            QCOMPARE(BarLength(preview, page), page);
        for (int page = 1; page <= 300; ++page)
            QCOMPARE(BarLength(preview, page), page);
        // A new document deletes the old pages' file.
        preview.BeginDoc();
        QCOMPARE(PageFiles(tempFolder_.path()), QStringList());
        preview.EndDoc();
        QCOMPARE(PageFiles(tempFolder_.path()).size(), tempFile ? 1 : 0);
    }
    // And so does the control's end.
    QCOMPARE(PageFiles(tempFolder_.path()), QStringList());
}

void TestPreviewPages::switchingTempFileKeepsThePages() {
    TPrintPreview preview;
    preview.SetUnits(mmPixel);
    RecordPages(preview, 300, DrawNumberedPage);
    preview.SetShownPage(120);
    preview.SetUseTempFile(true);
    QCOMPARE(PageFiles(tempFolder_.path()).size(), 1);
    QVERIFY(preview.UseTempFile());
    for (int page = 1; page <= 300; ++page)
        QCOMPARE(BarLength(preview, page), page);
    preview.SetUseTempFile(false);
    QCOMPARE(PageFiles(tempFolder_.path()), QStringList());
    for (int page = 1; page <= 300; ++page)
        QCOMPARE(BarLength(preview, page), page);
    QCOMPARE(preview.TotalPages(), 300);
    QCOMPARE(preview.ShownPage(), 120);
}

void TestPreviewPages::replacedPageMovesTheLaterPages_data() {
    pagesReadBack_data();
}

void TestPreviewPages::replacedPageMovesTheLaterPages() {
    QFETCH(bool, tempFile);
    TPrintPreview preview;
    preview.SetUnits(mmPixel);
    preview.SetUseTempFile(tempFile);
    RecordPages(preview, 6, DrawNumberedPage);
    preview.SetShownPage(4);
    QSignalSpy changed(&preview, &TPrintPreview::Changed);

    // A longer page 2 and a shorter page 4.
    QPicture longer;
    {
        QPainter canvas(&longer);
        for (int line = 0; line < 500; ++line)
            canvas.drawLine(0, 100 + line, 300, 100 + line);
        canvas.fillRect(QRect(10, 10, 77, 5), Qt::black);
    }
    QPicture shorter;
    {
        QPainter canvas(&shorter);
        canvas.fillRect(QRect(10, 10, 44, 5), Qt::black);
    }
    preview.ReplacePage(2, longer);
    QCOMPARE(changed.count(), 0);
    QVERIFY(preview.Page(2).size() > preview.Page(3).size());
    preview.ReplacePage(4, shorter);
    // The page on view changed.
    QCOMPARE(changed.count(), 1);
    const int expected[] = {1, 77, 3, 44, 5, 6};
    for (int page = 1; page <= 6; ++page)
        QCOMPARE(BarLength(preview, page), expected[page - 1]);
    // Backwards too, so that no page comes from the one cached picture.
    for (int page = 6; page >= 1; --page)
        QCOMPARE(BarLength(preview, page), expected[page - 1]);
}

void TestPreviewPages::pageThatCannotBeMadeLeavesNothing_data() {
    QTest::addColumn<int>("failAt");
    QTest::newRow("first page") << 1;
    QTest::newRow("fourth page") << 4;
}

void TestPreviewPages::pageThatCannotBeMadeLeavesNothing() {
    QFETCH(int, failAt);
    TFailingPreview preview;
    preview.SetUnits(mmPixel);
    preview.SetUseTempFile(true);
    RecordPages(preview, 2, DrawNumberedPage);
    preview.failAt = preview.made + failAt;
    QSignalSpy aborted(&preview, &TPrintPreview::DocumentAborted);
    QString message;
    try {
        RecordPages(preview, 5, DrawNumberedPage);
    } catch (const TPreviewError& error) {
        message = QString::fromUtf8(error.what());
    }
    QCOMPARE(message, QString("Not enough memory to create a new page"));
    QCOMPARE(aborted.count(), 1);
    QCOMPARE(preview.DocumentState(), dsIdle);
    QVERIFY(!preview.PageCanvas());
    QCOMPARE(preview.TotalPages(), 0);
    QCOMPARE(preview.ShownPage(), 0);
    QVERIFY(!preview.PaperPreview()->isVisibleTo(&preview));
    QCOMPARE(PageFiles(tempFolder_.path()), QStringList());
    // The control goes on working.
    RecordPages(preview, 3, DrawNumberedPage);
    QCOMPARE(preview.TotalPages(), 3);
    QCOMPARE(BarLength(preview, 3), 3);
    preview.SetUseTempFile(false);
}

void TestPreviewPages::pageErrorReachesTheErrorBox() {
    TFailingPreview preview;
    preview.failAt = 2;
    ClearShownMessageBoxes();
    QueueMessageBoxAnswer(QMessageBox::Ok);
    bool drewSecondPage = false;
    RunReportingErrors(&preview, [&] {
        preview.BeginDoc();
        preview.NewPage();
        drewSecondPage = true;
    });
    QVERIFY(!drewSecondPage);
    QCOMPARE(ShownMessageBoxes(), QStringList({"Error: Not enough memory to create a new page"}));
}

void TestPreviewPages::pagesThatCannotBeStoredLeaveNothing() {
    // A file size limit stands in for a full disk: writes past it fail.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    setrlimit(RLIMIT_FSIZE, &limited);
    TPrintPreview preview;
    preview.SetUseTempFile(true);
    QSignalSpy aborted(&preview, &TPrintPreview::DocumentAborted);
    QString message;
    int pagesDrawn = 0;
    try {
        RecordPages(preview, 300, [&](QPainter& canvas, int) {
            for (int line = 0; line < 100; ++line)
                canvas.drawLine(0, line * 100, 20000, line * 100 + 50);
            ++pagesDrawn;
        });
    } catch (const TPreviewError& error) {
        message = QString::fromUtf8(error.what());
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    QVERIFY2(message.startsWith("Can not store the page: "), qPrintable(message));
    QVERIFY(pagesDrawn > 1 && pagesDrawn < 300);
    QCOMPARE(aborted.count(), 1);
    QCOMPARE(preview.DocumentState(), dsIdle);
    QCOMPARE(preview.TotalPages(), 0);
    QVERIFY(!preview.PageCanvas());
    QCOMPARE(PageFiles(tempFolder_.path()), QStringList());
}

void TestPreviewPages::graphicFitted_data() {
    QTest::addColumn<QSize>("graphic");
    QTest::addColumn<int>("horizontal");
    QTest::addColumn<int>("vertical");
    QTest::addColumn<QRect>("expected");
    // All in a rectangle (100, 100) 200 by 100 of a page in pixels.
    QTest::newRow("small, centred") << QSize(40, 20) << 1 << 1 << QRect(180, 140, 40, 20);
    QTest::newRow("small, odd room") << QSize(41, 21) << 5 << -1 << QRect(179, 139, 41, 21);
    QTest::newRow("small, left top") << QSize(40, 20) << 0 << 0 << QRect(100, 100, 40, 20);
    QTest::newRow("small, right bottom") << QSize(40, 20) << 2 << 2 << QRect(260, 180, 40, 20);
    QTest::newRow("wide, to the width") << QSize(400, 100) << 1 << 1 << QRect(100, 125, 200, 50);
    QTest::newRow("tall, to the height") << QSize(100, 400) << 1 << 1 << QRect(187, 100, 25, 100);
    QTest::newRow("tall, right") << QSize(100, 400) << 2 << 0 << QRect(275, 100, 25, 100);
    QTest::newRow("too high only") << QSize(150, 120) << 0 << 2 << QRect(100, 100, 125, 100);
}

void TestPreviewPages::graphicFitted() {
    QFETCH(QSize, graphic);
    QFETCH(int, horizontal);
    QFETCH(int, vertical);
    QFETCH(QRect, expected);
    QImage picture(graphic, QImage::Format_RGB32);
    picture.fill(Qt::red);
    TPrintPreview preview;
    preview.SetUnits(mmPixel);
    // Without an open page there is nothing to draw on.
    preview.DrawGraphicFitted(QRect(100, 100, 200, 100), picture, horizontal, vertical);
    RecordPages(preview, 1, [&](QPainter&, int) {
        preview.DrawGraphicFitted(QRect(100, 100, 200, 100), picture, horizontal, vertical);
    });
    QCOMPARE(InkBounds(PlayedPage(preview, 1, QSize(794, 1123))), expected);

    // The same in hundredths of a millimetre: the picture's pixels are the screen's.
    TPrintPreview metric;
    RecordPages(metric, 1, [&](QPainter&, int) {
        metric.DrawGraphicFitted(QRect(metric.ToUnits(QPoint(100, 100), mmPixel, mmHiMetric),
                                       metric.ToUnits(QPoint(300, 200), mmPixel, mmHiMetric)),
                                 QPixmap::fromImage(picture), horizontal, vertical);
    });
    const QRect ink = InkBounds(PlayedPage(metric, 1, QSize(794, 1123)));
    QVERIFY2(std::abs(ink.left() - expected.left()) <= 1 &&
                 std::abs(ink.top() - expected.top()) <= 1 &&
                 std::abs(ink.width() - expected.width()) <= 1 &&
                 std::abs(ink.height() - expected.height()) <= 1,
             qPrintable(QString("%1,%2 %3x%4")
                            .arg(ink.left())
                            .arg(ink.top())
                            .arg(ink.width())
                            .arg(ink.height())));
}

void TestPreviewPages::graphicKeepsItsPixels_data() {
    QTest::addColumn<QImage>("graphic");
    // Pictures are stored in a page in whatever form is cheapest to write; none may change a
    // pixel, whether they have few colours or many, with or without alpha.
    QImage icon(16, 16, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    {
        QPainter painter(&icon);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(200, 30, 40, 180));
        painter.drawEllipse(1, 1, 14, 14);
    }
    QTest::newRow("icon with soft edges") << icon;
    QImage opaque(64, 64, QImage::Format_RGB32);
    QImage translucent(64, 64, QImage::Format_ARGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            opaque.setPixel(x, y, qRgb(x * 4, y * 4, (x + y) * 2));
            translucent.setPixel(x, y, qRgba(x * 4, y * 4, 90, 40 + x + y));
        }
    QTest::newRow("4096 colours") << opaque;
    QTest::newRow("4096 colours with alpha") << translucent;
    QImage exactly256(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            exactly256.setPixel(x, y, qRgb(x * 16, y * 16, 7));
    QTest::newRow("256 colours") << exactly256;
}

void TestPreviewPages::graphicKeepsItsPixels() {
    QFETCH(QImage, graphic);
    TPrintPreview preview;
    preview.SetUnits(mmPixel);
    const QRect cell(QPoint(100, 100), graphic.size());
    RecordPages(preview, 2, [&](QPainter&, int) {
        preview.DrawGraphicFitted(cell, graphic, 1, 1);
        preview.DrawGraphicFitted(cell.translated(0, 100), QPixmap::fromImage(graphic), 1, 1);
    });
    QImage expected(794, 1123, QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter painter(&expected);
        painter.drawImage(cell.topLeft(), graphic);
        painter.drawImage(cell.topLeft() + QPoint(0, 100), graphic);
    }
    // The second page is drawn from the pictures already converted for the first.
    QCOMPARE(PlayedPage(preview, 1, expected.size()), expected);
    QCOMPARE(PlayedPage(preview, 2, expected.size()), expected);
}

QTEST_MAIN(TestPreviewPages)
#include "tst_PreviewPages.moc"
