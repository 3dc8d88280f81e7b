// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/FrameController.h"
#include "uikit/SkinFrame.h"

#include "tests/ui/TestSupport.h"

#include <QDialog>
#include <QPainter>
#include <QtTest>

#include <memory>

namespace {

const QColor Outline(105, 105, 105);
const QColor DarkGrey(102, 102, 102);
const QColor MainBackground(200, 200, 200);
const QColor DialogBackground(236, 233, 216);
const QColor PopupBackground(235, 234, 219);
// Colours that no frame uses, to see what painting left alone.
const QColor Untouched(1, 2, 3);

// The main strip's row colours, top to bottom.
const QColor MainStrip[25] = {
    {131, 131, 131}, {240, 240, 240}, {205, 205, 205}, {181, 181, 181}, {180, 180, 181},
    {179, 179, 179}, {178, 178, 179}, {178, 178, 178}, {176, 177, 176}, {175, 175, 175},
    {174, 174, 174}, {172, 172, 172}, {171, 171, 171}, {170, 169, 169}, {168, 168, 168},
    {166, 166, 166}, {165, 164, 165}, {164, 164, 164}, {162, 162, 162}, {160, 161, 160},
    {160, 160, 160}, {158, 158, 159}, {157, 157, 158}, {157, 157, 157}, {96, 96, 96},
};

// Collects every wrong pixel of a picture, so that one failure shows them all.
class TPixels {
public:
    explicit TPixels(QImage image) : image_(std::move(image)) {}

    void Expect(int x, int y, const QColor& colour) {
        const QColor actual = image_.pixelColor(x, y);
        if (actual.rgb() != colour.rgb())
            failures_ << QString("(%1, %2) is %3, expected %4")
                             .arg(x)
                             .arg(y)
                             .arg(actual.name(), colour.name());
    }
    QString Failures() const { return failures_.join("\n"); }
    bool Ok() const { return failures_.isEmpty(); }

private:
    QImage image_;
    QStringList failures_;
};

#define VERIFY_PIXELS(pixels) QVERIFY2((pixels).Ok(), qPrintable((pixels).Failures()))

QImage Canvas(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Untouched);
    return image;
}

template <class TWindow>
std::unique_ptr<TWindow> ShownWindow(TFrameKind kind, QSize size, TFrameController** frame) {
    auto window = std::make_unique<TWindow>();
    *frame = new TFrameController(window.get(), kind);
    window->resize(size);
    window->show();
    return window;
}

QImage Grab(QWidget& window) {
    return window.grab().toImage();
}

} // namespace

class TestSkinFrame : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { VerifyCleanEnd(); }

    void stripLinesLeaveTheirEndOut();
    void frameRectCoversItsOutlineOnly();
    void mainWindowStrip();
    void mainWindowRegion();
    void regionFollowsResize();
    void popupStrip();
    void dialogFrameRectangles();
    void dialogTitleBarAndBand();
    void dialogBlackLine();
    void previewFrameFollowsResize();
};

// Painted on a plain picture, so that pixels a window region would hide can be seen too.
void TestSkinFrame::stripLinesLeaveTheirEndOut() {
    const int w = 50;
    const int h = 40;
    QImage image = Canvas(w, h);
    QPainter painter(&image);
    DrawStripFrame(painter, image.size(), MainStripPicture());
    painter.end();

    TPixels pixels(image);
    for (int y = 0; y < h; ++y) {
        pixels.Expect(0, y, Outline);
        pixels.Expect(w - 2, y, Outline);
    }
    for (int x = 0; x < w; ++x)
        pixels.Expect(x, h - 2, Outline);
    // The copies of the strip reach the last column; below the strip nothing is painted.
    pixels.Expect(w - 1, 0, MainStrip[0]);
    pixels.Expect(w - 1, 24, MainStrip[24]);
    pixels.Expect(w - 1, 25, Untouched);
    pixels.Expect(w - 1, h - 3, Untouched);
    pixels.Expect(w - 1, h - 1, Untouched);
    pixels.Expect(1, h - 1, Untouched);
    pixels.Expect(w - 3, h - 1, Untouched);
    // Corners: two pixels each, the end point left out.
    for (const QPoint p :
         {QPoint(1, 3), QPoint(1, 2), QPoint(3, 1), QPoint(2, 1), QPoint(w - 3, 3),
          QPoint(w - 3, 2), QPoint(w - 5, 1), QPoint(w - 4, 1), QPoint(1, h - 5), QPoint(1, h - 4),
          QPoint(3, h - 3), QPoint(2, h - 3), QPoint(w - 3, h - 5), QPoint(w - 3, h - 4),
          QPoint(w - 5, h - 3), QPoint(w - 4, h - 3)})
        pixels.Expect(p.x(), p.y(), Outline);
    pixels.Expect(1, 1, MainStrip[1]);
    pixels.Expect(w - 3, 1, MainStrip[1]);
    pixels.Expect(1, 4, MainStrip[4]);
    pixels.Expect(4, 1, MainStrip[1]);
    pixels.Expect(1, h - 3, Untouched);
    pixels.Expect(w - 3, h - 3, Untouched);
    pixels.Expect(1, h - 6, Untouched);
    pixels.Expect(4, h - 3, Untouched);
    pixels.Expect(w - 6, h - 3, Untouched);
    VERIFY_PIXELS(pixels);
}

void TestSkinFrame::frameRectCoversItsOutlineOnly() {
    QImage image = Canvas(20, 10);
    QPainter painter(&image);
    DrawFrameRect(painter, image.size(), 3, Qt::red);
    painter.end();

    TPixels pixels(image);
    for (const QPoint p : {QPoint(3, 3), QPoint(16, 3), QPoint(3, 6), QPoint(16, 6), QPoint(10, 3),
                           QPoint(10, 6), QPoint(3, 5), QPoint(16, 4)})
        pixels.Expect(p.x(), p.y(), Qt::red);
    for (const QPoint p : {QPoint(2, 3), QPoint(17, 3), QPoint(3, 2), QPoint(3, 7), QPoint(4, 4),
                           QPoint(15, 5), QPoint(16, 7), QPoint(17, 6)})
        pixels.Expect(p.x(), p.y(), Untouched);
    VERIFY_PIXELS(pixels);
}

void TestSkinFrame::mainWindowStrip() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QWidget>(TFrameKind::Main, {300, 200}, &frame);
    const int w = 300;
    const int h = 200;
    TPixels pixels(Grab(*window));
    // Away from the title (centred) and the buttons (from W - 53).
    for (int y = 0; y < 25; ++y)
        for (const int x : {4, 7, 13, 14, 60, w - 60, w - 6})
            pixels.Expect(x, y, MainStrip[y]);
    for (int y = 4; y <= h - 5; y += 5) {
        pixels.Expect(0, y, Outline);
        pixels.Expect(w - 2, y, Outline);
        pixels.Expect(1, std::max(y, 25), MainBackground);
    }
    for (int x = 4; x <= w - 6; x += 5)
        pixels.Expect(x, h - 2, Outline);
    pixels.Expect(100, 25, MainBackground);
    pixels.Expect(w - 3, 100, MainBackground);
    pixels.Expect(100, h - 3, MainBackground);
    for (const QPoint p :
         {QPoint(1, 3), QPoint(1, 2), QPoint(3, 1), QPoint(2, 1), QPoint(w - 3, 3),
          QPoint(w - 3, 2), QPoint(w - 5, 1), QPoint(w - 4, 1), QPoint(1, h - 5), QPoint(1, h - 4),
          QPoint(3, h - 3), QPoint(2, h - 3), QPoint(w - 3, h - 5), QPoint(w - 3, h - 4),
          QPoint(w - 5, h - 3), QPoint(w - 4, h - 3)})
        pixels.Expect(p.x(), p.y(), Outline);
    pixels.Expect(1, 4, MainStrip[4]);
    pixels.Expect(4, 1, MainStrip[1]);
    pixels.Expect(2, h - 4, MainBackground);
    pixels.Expect(w - 4, h - 4, MainBackground);
    VERIFY_PIXELS(pixels);
}

void TestSkinFrame::mainWindowRegion() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QWidget>(TFrameKind::Main, {300, 200}, &frame);
    const int w = 300;
    const int h = 200;
    const QRegion region = window->mask();
    // The last column and row are left out.
    QVERIFY(region.contains(QPoint(w - 2, 100)));
    QVERIFY(!region.contains(QPoint(w - 1, 100)));
    QVERIFY(region.contains(QPoint(100, h - 2)));
    QVERIFY(!region.contains(QPoint(100, h - 1)));
    QVERIFY(region.contains(QPoint(0, 100)));
    QVERIFY(region.contains(QPoint(100, 0)));
    // Each corner keeps 4, 2, 1 and 1 pixels fewer on its outer four rows.
    const int cuts[] = {4, 2, 1, 1, 0};
    for (int distance = 0; distance < 5; ++distance) {
        const int cut = cuts[distance];
        for (const int y : {distance, h - 2 - distance}) {
            QVERIFY(region.contains(QPoint(cut, y)));
            QVERIFY(region.contains(QPoint(w - 2 - cut, y)));
            if (cut > 0) {
                QVERIFY(!region.contains(QPoint(cut - 1, y)));
                QVERIFY(!region.contains(QPoint(w - 1 - cut, y)));
            }
        }
    }
    QVERIFY(!region.contains(QPoint(0, 0)));
    QVERIFY(!region.contains(QPoint(1, 1)));
}

void TestSkinFrame::regionFollowsResize() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QWidget>(TFrameKind::Main, {300, 200}, &frame);
    window->resize(420, 310);
    QCoreApplication::processEvents();
    const QRegion region = window->mask();
    QVERIFY(region.contains(QPoint(418, 150)));
    QVERIFY(!region.contains(QPoint(419, 150)));
    QVERIFY(region.contains(QPoint(200, 308)));
    QVERIFY(!region.contains(QPoint(200, 309)));
    QVERIFY(!region.contains(QPoint(418, 308)));
    QCOMPARE(region.boundingRect(), QRect(0, 0, 419, 309));
}

void TestSkinFrame::popupStrip() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QDialog>(TFrameKind::Popup, {292, 446}, &frame);
    const int w = 292;
    const int h = 446;
    TPixels pixels(Grab(*window));
    for (int y = 0; y < 12; ++y)
        for (const int x : {7, 100, w - 30})
            pixels.Expect(x, y, MainStrip[y]);
    for (const int x : {7, 100, w - 30})
        pixels.Expect(x, 12, MainStrip[24]);
    pixels.Expect(100, 13, PopupBackground);
    pixels.Expect(0, 200, Outline);
    pixels.Expect(w - 2, 200, Outline);
    pixels.Expect(100, h - 2, Outline);
    VERIFY_PIXELS(pixels);
    QCOMPARE(window->mask().boundingRect(), QRect(0, 0, w - 1, h - 1));
}

void TestSkinFrame::dialogFrameRectangles() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QDialog>(TFrameKind::Dialog, {350, 273}, &frame);
    const int w = 350;
    const int h = 273;
    const QColor colours[11] = {DarkGrey,
                                Qt::white,
                                QColor(227, 227, 227),
                                QColor(227, 227, 227),
                                QColor(192, 192, 192),
                                DarkGrey,
                                QColor(178, 178, 178),
                                QColor(178, 178, 178),
                                QColor(178, 178, 178),
                                QColor(178, 178, 178),
                                DarkGrey};
    TPixels pixels(Grab(*window));
    for (int inset = 0; inset < 11; ++inset) {
        const QColor& c = colours[inset];
        const int right = w - inset - 1;
        const int bottom = h - inset - 1;
        for (const QPoint p :
             {QPoint(inset, inset), QPoint(right, inset), QPoint(inset, bottom),
              QPoint(right, bottom), QPoint(w / 2, inset), QPoint(w / 2, bottom),
              QPoint(inset, h / 2), QPoint(right, h / 2), QPoint(inset, 20), QPoint(right, 20)})
            pixels.Expect(p.x(), p.y(), c);
    }
    pixels.Expect(11, h / 2, DialogBackground);
    pixels.Expect(w - 12, h / 2, DialogBackground);
    pixels.Expect(w / 2, h - 12, DialogBackground);
    VERIFY_PIXELS(pixels);
}

void TestSkinFrame::dialogTitleBarAndBand() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QDialog>(TFrameKind::Dialog, {350, 273}, &frame);
    const int w = 350;
    TPixels pixels(Grab(*window));
    for (int i = 0; i < 20; ++i)
        for (const int x : {11, 150, w - 12})
            pixels.Expect(x, 11 + i, QColor(234 - i, 234 - i, 234 - i));
    for (const int x : {11, 150, w - 12})
        pixels.Expect(x, 31, DarkGrey);
    pixels.Expect(10, 11, DarkGrey);
    pixels.Expect(w - 11, 30, DarkGrey);
    // The band: row 32 untouched, the outline on rows 33 and 38 and columns 12 and W - 13.
    for (const int x : {11, 12, 150, w - 13, w - 12})
        pixels.Expect(x, 32, DialogBackground);
    for (const int x : {12, 13, 150, w - 14, w - 13}) {
        pixels.Expect(x, 33, DarkGrey);
        pixels.Expect(x, 38, DarkGrey);
    }
    for (int y = 34; y <= 37; ++y) {
        pixels.Expect(11, y, DialogBackground);
        pixels.Expect(12, y, DarkGrey);
        for (const int x : {13, 150, w - 14})
            pixels.Expect(x, y, QColor(234, 234, 234));
        pixels.Expect(w - 13, y, DarkGrey);
        pixels.Expect(w - 12, y, DialogBackground);
    }
    pixels.Expect(150, 39, DialogBackground);
    pixels.Expect(150, 183, DialogBackground);
    VERIFY_PIXELS(pixels);
}

void TestSkinFrame::dialogBlackLine() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QDialog>(TFrameKind::Dialog, {350, 273}, &frame);
    frame->SetBlackLineRow(183);
    TPixels pixels(Grab(*window));
    for (const int x : {51, 52, 150, 301, 302})
        pixels.Expect(x, 183, Qt::black);
    pixels.Expect(50, 183, DialogBackground);
    pixels.Expect(303, 183, DialogBackground);
    pixels.Expect(150, 182, DialogBackground);
    pixels.Expect(150, 184, DialogBackground);
    VERIFY_PIXELS(pixels);
}

// The rectangles follow the new size; the title bar, row 31 and the band keep their rows
// and stretch to the new width.
void TestSkinFrame::previewFrameFollowsResize() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QDialog>(TFrameKind::Preview, {692, 566}, &frame);
    window->resize(800, 600);
    QCoreApplication::processEvents();
    const int w = 800;
    const int h = 600;
    TPixels pixels(Grab(*window));
    pixels.Expect(w - 1, h / 2, DarkGrey);
    pixels.Expect(w / 2, h - 1, DarkGrey);
    pixels.Expect(w - 2, h / 2, Qt::white);
    pixels.Expect(w - 11, h / 2, DarkGrey);
    pixels.Expect(w / 2, h - 11, DarkGrey);
    pixels.Expect(w - 12, 11, QColor(234, 234, 234));
    pixels.Expect(w - 12, 30, QColor(215, 215, 215));
    pixels.Expect(w - 12, 31, DarkGrey);
    pixels.Expect(w - 13, 35, DarkGrey);
    pixels.Expect(w - 14, 35, QColor(234, 234, 234));
    pixels.Expect(w - 60, 35, QColor(234, 234, 234));
    VERIFY_PIXELS(pixels);
    QVERIFY(window->mask().isEmpty());
}

QTEST_MAIN(TestSkinFrame)
#include "tst_SkinFrame.moc"
