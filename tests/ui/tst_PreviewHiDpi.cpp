// SPDX-License-Identifier: GPL-3.0-or-later
// The preview's page on a screen of more than one device pixel per pixel (QT_SCALE_FACTOR,
// 2 unless the environment sets another): drawn at the screen's pixels, so that each row line
// of the report is a line of one or two device pixels, neither lost nor blurred; the layout
// and the zoom stay as on any screen.

#include "app/Application.h"
#include "preview/PaperPreview.h"
#include "tests/ui/PrintRig.h"
#include "tests/ui/WindowControls.h"

#include <QLabel>
#include <QTest>

namespace {

bool Dark(QRgb pixel) {
    return qGray(pixel) < 128;
}

// The mean difference of grey levels between the screen and an image over a part of the
// image, the image placed at the corner given or a pixel away from it, where it fits best.
double Difference(const QImage& screen, QPoint corner, const QImage& image, const QRect& part) {
    double best = 255;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            double sum = 0;
            for (int y = part.top(); y <= part.bottom(); ++y)
                for (int x = part.left(); x <= part.right(); ++x)
                    sum += std::abs(qGray(screen.pixel(corner.x() + dx + x, corner.y() + dy + y)) -
                                    qGray(image.pixel(x, y)));
            best = std::min(best, sum / (double(part.width()) * part.height()));
        }
    return best;
}

} // namespace

class TestPreviewHiDpi : public QObject {
    Q_OBJECT

    std::unique_ptr<TPrintRig> rig_;

    TForm19& P() { return *rig_->preview; }
    TPrintPreview& Control() { return *PrintPreview1(*rig_->preview); }
    // The paper on the control, in its pixels.
    QRect Paper() {
        const TPaperPreview& sheet = *Control().PaperPreview();
        return sheet.PaperRect().translated(sheet.mapTo(&Control(), QPoint(0, 0)));
    }
    // The sheet with the page on view, drawn at the given device pixels to a pixel and then
    // shown at the screen's.
    QImage Sheet(qreal at, qreal screenRatio) {
        const TPaperPreview& sheet = *Control().PaperPreview();
        QImage image((QSizeF(sheet.size()) * at).toSize(), QImage::Format_RGB32);
        image.setDevicePixelRatio(at);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHints(QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        PlayPicture(painter, Control().Page(1),
                    QSize(Control().PaperWidth(), Control().PaperHeight()), sheet.PaperRect());
        painter.end();
        image.setDevicePixelRatio(1);
        return image.scaled((QSizeF(sheet.size()) * screenRatio).toSize());
    }

private slots:
    void init() {
        rig_ = std::make_unique<TPrintRig>();
        TPrintJob& job = P().PrintJob;
        job.Tasks = NumberedTasks(30);
        job.AllCategories = false;
        job.CategoryName = "Work";
        job.PrintNotes = false;
        P().show();
        QVERIFY(QTest::qWaitForWindowExposed(&P()));
    }
    void cleanup() {
        VerifyCleanEnd();
        rig_.reset();
    }

    // The report's layout and the zoom arithmetic do not depend on the screen's pixels.
    void theLayoutIsTheSameAsOnAnyScreen() {
        QVERIFY(P().devicePixelRatioF() > 1);
        QCOMPARE(Control().logicalDpiY(), 96);
        QCOMPARE(QSize(Control().PaperWidth(), Control().PaperHeight()), QSize(794, 1123));
        QCOMPARE(P().Layout.PageCount, 1);
        QCOMPARE(Control().ZoomState(), zsZoomToFit);
        const TPaperPreview& sheet = *Control().PaperPreview();
        QCOMPARE(Control().Zoom(), qRound(100.0 * sheet.PaperHeight() / 1123));
    }

    // Down a column of device pixels across the page, in the name column right of the names,
    // every row line of the report is a run of one or two pixels darker than mid-grey.
    void everyRowLineIsSharp() {
        const qreal ratio = P().devicePixelRatioF();
        const QPixmap grab = Control().grab();
        QCOMPARE(grab.devicePixelRatio(), ratio);
        const QImage image = grab.toImage();
        const QRect paper = Paper();
        const TReportLayout& layout = P().Layout;
        const qreal scale = qreal(paper.width()) / Control().PaperWidth();
        const int columnX = layout.BodyRect.Left + layout.NameColumnWidth - 12;
        const int x = qRound((paper.left() + columnX * scale) * ratio);
        QVector<int> runs;
        int run = 0;
        // Inside the paper, clear of the sheet's border.
        const int top = qRound((paper.top() + 2) * ratio);
        const int bottom = qRound((paper.bottom() - 2) * ratio);
        for (int y = top; y < bottom; ++y) {
            if (Dark(image.pixel(x, y))) {
                ++run;
            } else if (run > 0) {
                runs.append(run);
                run = 0;
            }
        }
        // The header rule, the line under the heading row and the line under each task.
        const int tasks = layout.PageLastTask[0] - layout.PageFirstTask[0] + 1;
        QCOMPARE(runs.size(), 2 + tasks);
        for (int length : runs)
            QVERIFY2(length <= 2, qPrintable(QString("a line %1 pixels wide").arg(length)));
    }

    // The page is drawn at the screen's own pixels: its text is as sharp as on paper, not the
    // page at the layout's pixels stretched.
    void thePageHasTheScreensPixels() {
        const qreal ratio = P().devicePixelRatioF();
        const QImage screen = Control().grab().toImage();
        const TPaperPreview& sheet = *Control().PaperPreview();
        const QPoint corner = (QPointF(sheet.mapTo(&Control(), QPoint(0, 0))) * ratio).toPoint();
        const QRectF paper = sheet.PaperRect();
        const QRect part = QRectF(paper.topLeft() * ratio, paper.size() * ratio)
                               .toAlignedRect()
                               .adjusted(3, 3, -3, -3);
        const double sharp = Difference(screen, corner, Sheet(ratio, ratio), part);
        const double stretched = Difference(screen, corner, Sheet(1, ratio), part);
        QVERIFY2(sharp * 3 < stretched,
                 qPrintable(QString("%1 from the sharp page, %2 from the stretched one")
                                .arg(sharp)
                                .arg(stretched)));
    }
};

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "2");
    TApplication application(argc, argv);
    TestPreviewHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_PreviewHiDpi.moc"
