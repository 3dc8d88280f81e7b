// SPDX-License-Identifier: GPL-3.0-or-later

// The preview control's view: the sheet's size and place for each zoom state, the zoom
// rules, keys, the wheel, dragging with the hand cursors, and what the sheet paints.

#include "preview/HandCursors.h"
#include "tests/ui/PreviewRig.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

Q_DECLARE_METATYPE(TZoomState)

namespace {

// The colour of a pixel, as the colour it was painted with.
QColor At(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y));
}

QColor Opaque(const QColor& color) {
    return QColor(color.rgb());
}

// A shown preview whose view, without scroll bars, is the given size; A4 pages of a black
// inch square an inch from the corner.
struct TShownPreview {
    TPrintPreview preview;

    explicit TShownPreview(const QSize& view = QSize(620, 520), int pages = 3) {
        const int frame = 2 * preview.frameWidth();
        preview.resize(view + QSize(frame, frame));
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        if (pages > 0)
            RecordPages(preview, pages, [](QPainter& canvas, int) {
                canvas.fillRect(QRect(2540, 2540, 2540, 2540), Qt::black);
            });
    }
    TPaperPreview& Sheet() const { return *preview.PaperPreview(); }
    // Lets the scroll area show or hide its scroll bars, which it does on a posted event.
    void Settle() const { QCoreApplication::processEvents(); }
    QScrollBar& Across() const { return *preview.horizontalScrollBar(); }
    QScrollBar& Down() const { return *preview.verticalScrollBar(); }
    int BarWidth() const { return preview.verticalScrollBar()->sizeHint().width(); }
    int BarHeight() const { return preview.horizontalScrollBar()->sizeHint().height(); }
};

// The mouse on the sheet, at a point of the view wherever the sheet has moved.
void Press(const TShownPreview& shown, const QPoint& inView) {
    QTest::mousePress(&shown.Sheet(), Qt::LeftButton, Qt::NoModifier, inView - shown.Sheet().pos());
}

void Move(const TShownPreview& shown, const QPoint& inView) {
    QTest::mouseMove(&shown.Sheet(), inView - shown.Sheet().pos());
}

void Release(const TShownPreview& shown, const QPoint& inView) {
    QTest::mouseRelease(&shown.Sheet(), Qt::LeftButton, Qt::NoModifier,
                        inView - shown.Sheet().pos());
}

bool Wheel(TPrintPreview& preview, int delta, Qt::KeyboardModifiers modifiers,
           Qt::MouseButtons buttons = Qt::NoButton) {
    const QPointF at(50, 50);
    QWheelEvent event(at, preview.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), buttons,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(preview.viewport(), &event);
    return event.isAccepted();
}

QImage CursorImage(const QCursor& cursor) {
    return cursor.pixmap().toImage();
}

} // namespace

class TestPreviewView : public QObject {
    Q_OBJECT

private slots:
    void sheetForEachZoomState_data();
    void sheetForEachZoomState();
    void zoomIsClampedAndSignalled();
    void zoomLimits();
    void keypadZoomStopsAtTheMinimum();
    void arrowHomeAndEndKeysScroll();
    void pageKeysTurnPages();
    void wheel_data();
    void wheel();
    void wheelNotchesAccumulate();
    void dragScrollsWithTheClosedHand();
    void sheetThatFitsIsNotGrabbed();
    void dragAcrossASheetThatOnlyScrollsDown();
    void newDocumentHidesTheSheetAndStartsAtTheTopLeft();
    void zoomKeepsTheRelativePosition();
    void sheetPaintsBorderShadowAndPage();
    void pageIsPlayedOnlyWhenItOrTheViewChanges();
    void zoomWhoseBitmapCannotBeMadeFallsBack();
    void annotationIsDrawnOverThePage();
    void handCursorsArePaintedWithTheirHotSpot();
    void sheetOnItsOwnAndItsMenu();
};

void TestPreviewView::sheetForEachZoomState_data() {
    QTest::addColumn<QSize>("view");
    QTest::addColumn<TZoomState>("state");
    QTest::addColumn<int>("zoomSet");
    QTest::addColumn<QRect>("sheet");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<bool>("across");
    QTest::addColumn<bool>("down");

    // The page is 794 by 1123 screen pixels; border and shadow add 5; the view keeps a
    // margin of 10 all round. The scroll bars' room is filled in by the test: -1 in a size
    // stands for "less a bar" there.
    QTest::newRow("whole page, wide view")
        << QSize(620, 520) << zsZoomToFit << 0 << QRect(132, 10, 355, 500) << 44 << false << false;
    QTest::newRow("whole page, tall view")
        << QSize(420, 820) << zsZoomToFit << 0 << QRect(10, 128, 400, 564) << 50 << false << false;
    QTest::newRow("page width, fits") << QSize(420, 820) << zsZoomToWidth << 0
                                      << QRect(10, 128, 400, 564) << 50 << false << false;
    QTest::newRow("page width, scrolls down")
        << QSize(620, 520) << zsZoomToWidth << 0 << QRect(10, 10, -1, -1) << -1 << false << true;
    QTest::newRow("page height, fits") << QSize(620, 520) << zsZoomToHeight << 0
                                       << QRect(132, 10, 355, 500) << 44 << false << false;
    QTest::newRow("page height, scrolls across")
        << QSize(420, 820) << zsZoomToHeight << 0 << QRect(10, 10, -1, -1) << -1 << true << false;
    QTest::newRow("100 percent") << QSize(620, 520) << zsZoomOther << 100
                                 << QRect(10, 10, 799, 1128) << 100 << true << true;
    QTest::newRow("50 percent") << QSize(620, 520) << zsZoomOther << 50 << QRect(-1, 10, 402, 567)
                                << 50 << false << true;
    QTest::newRow("25 percent") << QSize(620, 520) << zsZoomOther << 25 << QRect(208, 117, 204, 286)
                                << 25 << false << false;
}

void TestPreviewView::sheetForEachZoomState() {
    QFETCH(QSize, view);
    QFETCH(TZoomState, state);
    QFETCH(int, zoomSet);
    QFETCH(QRect, sheet);
    QFETCH(int, zoom);
    QFETCH(bool, across);
    QFETCH(bool, down);
    TShownPreview shown(view);
    TPrintPreview& preview = shown.preview;
    if (state == zsZoomOther)
        preview.SetZoom(zoomSet);
    else
        preview.SetZoomState(state);
    QCOMPARE(preview.ZoomState(), state);
    shown.Settle();
    const int bw = shown.BarWidth();
    const int bh = shown.BarHeight();
    if (sheet.width() < 0 && state == zsZoomToWidth) {
        const int width = 600 - bw;
        const int height = qRound((width - 5) * 1123.0 / 794) + 5;
        sheet.setSize(QSize(width, height));
        zoom = qRound(100.0 * (height - 5) / 1123);
    }
    if (sheet.width() < 0 && state == zsZoomToHeight) {
        const int height = 800 - bh;
        const int width = qRound((height - 5) * 794.0 / 1123) + 5;
        sheet.setSize(QSize(width, height));
        zoom = qRound(100.0 * (height - 5) / 1123);
    }
    if (sheet.left() < 0)
        sheet.moveLeft(10 + (600 - bw - sheet.width()) / 2);
    QCOMPARE(shown.Sheet().geometry(), sheet);
    QCOMPARE(preview.Zoom(), zoom);
    QCOMPARE(shown.Sheet().PaperWidth(), sheet.width() - 5);
    QCOMPARE(shown.Across().maximum() > 0, across);
    QCOMPARE(shown.Down().maximum() > 0, down);
    QCOMPARE(shown.Across().isVisible(), across);
    QCOMPARE(shown.Down().isVisible(), down);
    if (down)
        QCOMPARE(shown.Down().maximum(), sheet.height() + 20 - (preview.viewport()->height()));
    QCOMPARE(preview.viewport()->width(), view.width() - (down ? bw : 0));
    QCOMPARE(preview.viewport()->height(), view.height() - (across ? bh : 0));
}

void TestPreviewView::zoomIsClampedAndSignalled() {
    TShownPreview shown;
    TPrintPreview& preview = shown.preview;
    QSignalSpy zoomed(&preview, &TPrintPreview::ZoomChanged);
    preview.SetZoom(5);
    QCOMPARE(preview.Zoom(), 10);
    QCOMPARE(preview.ZoomState(), zsZoomOther);
    QCOMPARE(zoomed.count(), 1);
    preview.SetZoom(900);
    QCOMPARE(preview.Zoom(), 500);
    QCOMPARE(shown.Sheet().size(), QSize(3975, 5620));
    preview.SetZoom(500);
    QCOMPARE(zoomed.count(), 2);
    // A fitting state recomputes the zoom and tells of it.
    preview.SetZoomState(zsZoomToFit);
    QCOMPARE(preview.Zoom(), 44);
    QCOMPARE(zoomed.count(), 3);
    // Back to the same percentage, the state changes to a plain zoom.
    preview.SetZoom(44);
    QCOMPARE(preview.ZoomState(), zsZoomOther);
    QCOMPARE(zoomed.count(), 4);
}

void TestPreviewView::zoomLimits() {
    TShownPreview shown;
    TPrintPreview& preview = shown.preview;
    preview.SetZoomMin(0);
    preview.SetZoomMin(-5);
    preview.SetZoomMin(600);
    QCOMPARE(preview.ZoomMin(), 10);
    preview.SetZoomMax(5);
    QCOMPARE(preview.ZoomMax(), 500);
    // A fitted zoom is left as it is.
    preview.SetZoomMin(60);
    QCOMPARE(preview.Zoom(), 44);
    QCOMPARE(preview.ZoomState(), zsZoomToFit);
    preview.SetZoomMin(10);
    preview.SetZoom(15);
    preview.SetZoomMin(20);
    QCOMPARE(preview.Zoom(), 20);
    preview.SetZoom(300);
    preview.SetZoomMax(200);
    QCOMPARE(preview.ZoomMax(), 200);
    QCOMPARE(preview.Zoom(), 200);
    preview.SetZoomMax(20);
    QCOMPARE(preview.Zoom(), 20);
    preview.SetZoomMax(19);
    QCOMPARE(preview.ZoomMax(), 20);
}

void TestPreviewView::keypadZoomStopsAtTheMinimum() {
    TShownPreview shown;
    TPrintPreview& preview = shown.preview;
    preview.SetZoom(15);
    QTest::keyClick(&preview, Qt::Key_Minus, Qt::KeypadModifier);
    QCOMPARE(preview.Zoom(), 10);
    QTest::keyClick(&preview, Qt::Key_Minus, Qt::KeypadModifier);
    QCOMPARE(preview.Zoom(), 10);
    QTest::keyClick(&preview, Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(preview.Zoom(), 20);
    // The main keyboard's plus and minus, and the keypad's with Ctrl, do not zoom.
    QTest::keyClick(&preview, Qt::Key_Plus);
    QTest::keyClick(&preview, Qt::Key_Minus);
    QTest::keyClick(&preview, Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier);
    QCOMPARE(preview.Zoom(), 20);
    preview.SetZoomStep(25);
    QTest::keyClick(&preview, Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(preview.Zoom(), 45);
}

void TestPreviewView::arrowHomeAndEndKeysScroll() {
    TShownPreview shown;
    TPrintPreview& preview = shown.preview;
    preview.SetZoom(200);
    QScrollBar& across = shown.Across();
    QScrollBar& down = shown.Down();
    const int step = across.singleStep();
    QTest::keyClick(&preview, Qt::Key_Right);
    QCOMPARE(across.value(), step);
    QTest::keyClick(&preview, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(across.value(), step + 1);
    QTest::keyClick(&preview, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(across.value(), step);
    QTest::keyClick(&preview, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(across.value(), step + preview.viewport()->width());
    QTest::keyClick(&preview, Qt::Key_Left);
    QCOMPARE(across.value(), preview.viewport()->width());
    QTest::keyClick(&preview, Qt::Key_End);
    QCOMPARE(across.value(), across.maximum());
    QTest::keyClick(&preview, Qt::Key_Home);
    QCOMPARE(across.value(), 0);

    QTest::keyClick(&preview, Qt::Key_Down);
    QCOMPARE(down.value(), down.singleStep());
    QTest::keyClick(&preview, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(down.value(), down.singleStep() + 1);
    QTest::keyClick(&preview, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(&preview, Qt::Key_Up);
    QCOMPARE(down.value(), 0);
    QTest::keyClick(&preview, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(down.value(), preview.viewport()->height());
    QTest::keyClick(&preview, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(down.value(), down.maximum());
    QCOMPARE(across.value(), 0);
    // Keys with a modifier not listed do nothing of the control's own.
    QTest::keyClick(&preview, Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(down.value(), down.maximum());
    QTest::keyClick(&preview, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(down.value(), 0);
    // The sheet moved with the scroll bars.
    QTest::keyClick(&preview, Qt::Key_End);
    QCOMPARE(shown.Sheet().pos(), QPoint(10 - across.maximum(), 10));
}

void TestPreviewView::pageKeysTurnPages() {
    TShownPreview shown(QSize(620, 520), 5);
    TPrintPreview& preview = shown.preview;
    QSignalSpy changed(&preview, &TPrintPreview::Changed);
    QTest::keyClick(&preview, Qt::Key_PageDown);
    QCOMPARE(preview.ShownPage(), 2);
    QTest::keyClick(&preview, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(preview.ShownPage(), 5);
    QTest::keyClick(&preview, Qt::Key_PageDown);
    QCOMPARE(preview.ShownPage(), 5);
    QTest::keyClick(&preview, Qt::Key_PageUp);
    QCOMPARE(preview.ShownPage(), 4);
    QTest::keyClick(&preview, Qt::Key_PageUp, Qt::ShiftModifier);
    QCOMPARE(preview.ShownPage(), 4);
    QTest::keyClick(&preview, Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(preview.ShownPage(), 1);
    QCOMPARE(changed.count(), 4);
}

void TestPreviewView::wheel_data() {
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<bool>("handled");
    QTest::addColumn<int>("scrolled");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("zoom");
    // From page 3 of 5 at 200 percent, scrolled down by 100.
    QTest::newRow("away scrolls up") << 120 << 0 << 0 << true << -1 << 3 << 200;
    QTest::newRow("towards scrolls down") << -120 << 0 << 0 << true << 1 << 3 << 200;
    QTest::newRow("two notches") << -240 << 0 << 0 << true << 2 << 3 << 200;
    QTest::newRow("shift away, previous page")
        << 120 << int(Qt::ShiftModifier) << 0 << true << 0 << 2 << 200;
    QTest::newRow("shift towards, next page")
        << -120 << int(Qt::ShiftModifier) << 0 << true << 0 << 4 << 200;
    QTest::newRow("middle button, next page")
        << -120 << 0 << int(Qt::MiddleButton) << true << 0 << 4 << 200;
    QTest::newRow("ctrl away zooms in")
        << 120 << int(Qt::ControlModifier) << 0 << true << 0 << 3 << 210;
    QTest::newRow("ctrl towards zooms out")
        << -120 << int(Qt::ControlModifier) << 0 << true << 0 << 3 << 190;
    QTest::newRow("shift and ctrl not handled")
        << 120 << int(Qt::ShiftModifier | Qt::ControlModifier) << 0 << false << 0 << 3 << 200;
    QTest::newRow("alt not handled") << 120 << int(Qt::AltModifier) << 0 << false << 0 << 3 << 200;
    QTest::newRow("shift with the middle button not handled")
        << 120 << int(Qt::ShiftModifier) << int(Qt::MiddleButton) << false << 0 << 3 << 200;
    QTest::newRow("left button not handled")
        << 120 << 0 << int(Qt::LeftButton) << false << 0 << 3 << 200;
}

void TestPreviewView::wheel() {
    QFETCH(int, delta);
    QFETCH(int, modifiers);
    QFETCH(int, buttons);
    QFETCH(bool, handled);
    QFETCH(int, scrolled);
    QFETCH(int, page);
    QFETCH(int, zoom);
    TShownPreview shown(QSize(620, 520), 5);
    TPrintPreview& preview = shown.preview;
    preview.SetZoom(200);
    preview.SetShownPage(3);
    shown.Down().setValue(100);
    QCOMPARE(Wheel(preview, delta, Qt::KeyboardModifiers(modifiers), Qt::MouseButtons(buttons)),
             handled);
    // A zoom keeps the relative position, not the value.
    if (zoom == 200)
        QCOMPARE(shown.Down().value(), 100 + scrolled * shown.Down().singleStep());
    QCOMPARE(preview.ShownPage(), page);
    QCOMPARE(preview.Zoom(), zoom);
}

void TestPreviewView::wheelNotchesAccumulate() {
    TShownPreview shown(QSize(620, 520), 5);
    TPrintPreview& preview = shown.preview;
    QVERIFY(Wheel(preview, -60, Qt::ShiftModifier));
    QCOMPARE(preview.ShownPage(), 1);
    QVERIFY(Wheel(preview, -60, Qt::ShiftModifier));
    QCOMPARE(preview.ShownPage(), 2);
    QVERIFY(Wheel(preview, -100, Qt::ShiftModifier));
    QVERIFY(Wheel(preview, -100, Qt::ShiftModifier));
    QCOMPARE(preview.ShownPage(), 3);
    // 80 left over towards the user; 200 away first cancels it, then takes a step.
    QVERIFY(Wheel(preview, 200, Qt::ShiftModifier));
    QCOMPARE(preview.ShownPage(), 2);
}

void TestPreviewView::dragScrollsWithTheClosedHand() {
    TShownPreview shown;
    TPrintPreview& preview = shown.preview;
    preview.SetZoom(200);
    shown.Settle();
    TPaperPreview& sheet = shown.Sheet();
    QCOMPARE(sheet.cursor().hotSpot(), QPoint(15, 15));
    QCOMPARE(CursorImage(sheet.cursor()), CursorImage(OpenHandCursor()));
    shown.Across().setValue(200);
    shown.Down().setValue(300);
    preview.clearFocus();
    Press(shown, QPoint(300, 300));
    QVERIFY(preview.hasFocus());
    QCOMPARE(CursorImage(sheet.cursor()), CursorImage(ClosedHandCursor()));
    // The sheet moves with the pointer: moving left and up scrolls right and down.
    Move(shown, QPoint(270, 260));
    QCOMPARE(shown.Across().value(), 230);
    QCOMPARE(shown.Down().value(), 340);
    Move(shown, QPoint(320, 360));
    QCOMPARE(shown.Across().value(), 180);
    QCOMPARE(shown.Down().value(), 240);
    QCOMPARE(sheet.pos(), QPoint(10 - 180, 10 - 240));
    Release(shown, QPoint(320, 360));
    QCOMPARE(CursorImage(sheet.cursor()), CursorImage(OpenHandCursor()));
    // Without the button held the sheet stays.
    Move(shown, QPoint(200, 200));
    QCOMPARE(shown.Across().value(), 180);
    QCOMPARE(shown.Down().value(), 240);
}

void TestPreviewView::sheetThatFitsIsNotGrabbed() {
    TShownPreview shown;
    TPaperPreview& sheet = shown.Sheet();
    QCOMPARE(sheet.cursor().shape(), Qt::ArrowCursor);
    const QPoint place = sheet.pos();
    Press(shown, place + QPoint(100, 100));
    QVERIFY(shown.preview.hasFocus());
    QCOMPARE(sheet.cursor().shape(), Qt::ArrowCursor);
    Move(shown, place + QPoint(50, 150));
    Release(shown, place + QPoint(50, 150));
    QCOMPARE(sheet.pos(), place);
}

void TestPreviewView::dragAcrossASheetThatOnlyScrollsDown() {
    TShownPreview shown;
    TPrintPreview& preview = shown.preview;
    preview.SetZoom(50);
    shown.Settle();
    shown.Down().setValue(50);
    TPaperPreview& sheet = shown.Sheet();
    const QPoint place = sheet.pos();
    QVERIFY(place.x() > 10);
    Press(shown, QPoint(300, 200));
    // Across, the sheet itself moves, and stays inside the view's margins.
    Move(shown, QPoint(330, 210));
    QCOMPARE(shown.Down().value(), 40);
    QCOMPARE(sheet.pos(), QPoint(place.x() + 30, 10 - 40));
    Move(shown, QPoint(1000, 210));
    QCOMPARE(sheet.x(), preview.viewport()->width() - 10 - sheet.width());
    Move(shown, QPoint(-2000, 210));
    QCOMPARE(sheet.x(), 10);
    Release(shown, QPoint(-2000, 210));
    // A new layout puts it back in the middle.
    preview.UpdateZoom();
    QCOMPARE(sheet.x(), place.x());
}

void TestPreviewView::newDocumentHidesTheSheetAndStartsAtTheTopLeft() {
    TShownPreview shown;
    TPrintPreview& preview = shown.preview;
    preview.SetZoom(200);
    preview.SetShownPage(2);
    shown.Across().setValue(shown.Across().maximum());
    shown.Down().setValue(shown.Down().maximum());
    preview.BeginDoc();
    QVERIFY(shown.Sheet().isHidden());
    QCOMPARE(preview.ShownPage(), 0);
    preview.PageCanvas()->fillRect(QRect(0, 0, 1000, 1000), Qt::black);
    QVERIFY(shown.Sheet().isHidden());
    preview.EndDoc();
    QVERIFY(shown.Sheet().isVisible());
    QCOMPARE(preview.ShownPage(), 1);
    QCOMPARE(preview.Zoom(), 200);
    QCOMPARE(shown.Across().value(), 0);
    QCOMPARE(shown.Down().value(), 0);
    QCOMPARE(shown.Sheet().pos(), QPoint(10, 10));
}

void TestPreviewView::zoomKeepsTheRelativePosition() {
    TShownPreview shown;
    TPrintPreview& preview = shown.preview;
    preview.SetZoom(200);
    shown.Across().setValue(shown.Across().maximum() / 2);
    shown.Down().setValue(shown.Down().maximum() / 4);
    preview.SetZoom(300);
    QVERIFY(std::abs(shown.Across().value() - shown.Across().maximum() / 2) <= 1);
    QVERIFY(std::abs(shown.Down().value() - shown.Down().maximum() / 4) <= 1);
    preview.SetZoomSavePos(false);
    preview.SetZoom(250);
    QCOMPARE(shown.Across().value(), 0);
    QCOMPARE(shown.Down().value(), 0);
}

void TestPreviewView::sheetPaintsBorderShadowAndPage() {
    TShownPreview shown;
    TPrintPreview& preview = shown.preview;
    preview.SetColor(QColor(172, 168, 153));
    preview.SetZoom(100);
    QImage sheet = shown.Sheet().grab().toImage();
    const int w = sheet.width();
    const int h = sheet.height();
    QCOMPARE(QSize(w, h), QSize(799, 1128));
    QCOMPARE(At(sheet, 0, 0), QColor(Qt::black));
    QCOMPARE(At(sheet, w - 4, h - 4), QColor(Qt::black));
    QCOMPARE(At(sheet, w - 1, h - 1), Opaque(preview.PaperView().ShadowColor));
    QCOMPARE(At(sheet, w - 3, 3), Opaque(preview.PaperView().ShadowColor));
    QCOMPARE(At(sheet, 3, h - 3), Opaque(preview.PaperView().ShadowColor));
    // The shadow's corners show the ground.
    QCOMPARE(At(sheet, w - 1, 0), QColor(172, 168, 153));
    QCOMPARE(At(sheet, 0, h - 1), QColor(172, 168, 153));
    QCOMPARE(At(sheet, 1, 1), QColor(Qt::white));
    // The inch square of the page, at 100 percent an inch from the paper's corner.
    QCOMPARE(At(sheet, 1 + 96, 1 + 96), QColor(Qt::black));
    QCOMPARE(At(sheet, 1 + 191, 1 + 191), QColor(Qt::black));
    QCOMPARE(At(sheet, 1 + 95, 1 + 96), QColor(Qt::white));
    QCOMPARE(At(sheet, 1 + 192, 1 + 191), QColor(Qt::white));

    TPaperPreviewOptions look = preview.PaperView();
    look.BorderColor = Qt::red;
    look.BorderWidth = 2;
    look.ShadowColor = Qt::gray;
    look.ShadowWidth = 2;
    look.PaperColor = Qt::yellow;
    preview.SetPaperView(look);
    sheet = shown.Sheet().grab().toImage();
    QCOMPARE(sheet.size(), QSize(800, 1129));
    QCOMPARE(At(sheet, 1, 1), QColor(Qt::red));
    QCOMPARE(At(sheet, 2, 2), QColor(Qt::yellow));
    QCOMPARE(At(sheet, 799, 1128), QColor(Qt::gray));
    QCOMPARE(At(sheet, 799, 0), QColor(172, 168, 153));
    QCOMPARE(At(sheet, 2 + 96, 2 + 96), QColor(Qt::black));
    preview.SetColor(Qt::darkGreen);
    QCOMPARE(preview.Color(), QColor(Qt::darkGreen));
    QCOMPARE(At(shown.Sheet().grab().toImage(), 799, 0), QColor(Qt::darkGreen));
}

void TestPreviewView::pageIsPlayedOnlyWhenItOrTheViewChanges() {
    TShownPreview shown;
    TPrintPreview& preview = shown.preview;
    TPaperPreview& sheet = shown.Sheet();
    preview.SetZoom(200);
    sheet.grab();
    const int played = sheet.PagePlayCount();
    // Scrolling and dragging paint from the sheet's bitmap.
    QTest::keyClick(&preview, Qt::Key_Down);
    QTest::keyClick(&preview, Qt::Key_Right);
    Press(shown, QPoint(300, 300));
    Move(shown, QPoint(250, 250));
    Release(shown, QPoint(250, 250));
    sheet.grab();
    QCOMPARE(sheet.PagePlayCount(), played);
    preview.SetShownPage(2);
    sheet.grab();
    QCOMPARE(sheet.PagePlayCount(), played + 1);
    preview.SetZoom(150);
    sheet.grab();
    QCOMPARE(sheet.PagePlayCount(), played + 2);
    preview.SetPaperView(preview.PaperView());
    sheet.grab();
    QCOMPARE(sheet.PagePlayCount(), played + 3);
}

void TestPreviewView::zoomWhoseBitmapCannotBeMadeFallsBack() {
    TShownPreview shown(QSize(620, 520), 0);
    TPrintPreview& preview = shown.preview;
    preview.SetUnits(mmPixel);
    preview.SetPaperSize(32767, 32767);
    preview.SetZoom(10);
    RecordPages(preview, 1, [](QPainter& canvas, int) { canvas.drawLine(0, 0, 100, 100); });
    QCOMPARE(shown.Sheet().size(), QSize(3282, 3282));
    QSignalSpy zoomed(&preview, &TPrintPreview::ZoomChanged);
    preview.SetZoom(500);
    QCOMPARE(preview.Zoom(), 10);
    QCOMPARE(shown.Sheet().size(), QSize(3282, 3282));
    QVERIFY(shown.Sheet().HasBitmap());
    QCOMPARE(zoomed.count(), 0);
    preview.SetZoom(20);
    QCOMPARE(preview.Zoom(), 20);
    QCOMPARE(zoomed.count(), 1);
}

void TestPreviewView::annotationIsDrawnOverThePage() {
    TShownPreview shown(QSize(620, 520), 2);
    TPrintPreview& preview = shown.preview;
    preview.SetZoom(100);
    QList<int> annotated;
    connect(&preview, &TPrintPreview::Annotate, [&](int page, QPainter& canvas) {
        annotated << page;
        // Mapped like the page: the paper in hundredths of a millimetre.
        canvas.fillRect(QRect(10160, 2540, 2540, 2540), Qt::red);
    });
    QCOMPARE(At(shown.Sheet().grab().toImage(), 1 + 450, 1 + 150), QColor(Qt::white));
    preview.SetAnnotation(true);
    QImage sheet = shown.Sheet().grab().toImage();
    QCOMPARE(At(sheet, 1 + 450, 1 + 150), QColor(Qt::red));
    QCOMPARE(At(sheet, 1 + 150, 1 + 150), QColor(Qt::black));
    preview.SetShownPage(2);
    QCOMPARE(annotated, QList<int>({1, 2}));
    preview.SetAnnotation(false);
    QCOMPARE(At(shown.Sheet().grab().toImage(), 1 + 450, 1 + 150), QColor(Qt::white));
}

void TestPreviewView::handCursorsArePaintedWithTheirHotSpot() {
    for (const QCursor* cursor : {&OpenHandCursor(), &ClosedHandCursor()}) {
        QCOMPARE(cursor->shape(), Qt::BitmapCursor);
        QCOMPARE(cursor->hotSpot(), QPoint(15, 15));
        const QImage image = CursorImage(*cursor);
        QCOMPARE(image.size(), QSize(32, 32));
        // The hot spot is on the palm, and the corners are clear.
        QCOMPARE(image.pixelColor(15, 15), QColor(Qt::white));
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(image.pixelColor(31, 31).alpha(), 0);
    }
    // Open, the fingers stand above the palm; closed, they are folded.
    QVERIFY(CursorImage(OpenHandCursor()).pixelColor(11, 6).alpha() > 0);
    QCOMPARE(CursorImage(ClosedHandCursor()).pixelColor(11, 6).alpha(), 0);
}

void TestPreviewView::sheetOnItsOwnAndItsMenu() {
    TPaperPreview sheet;
    QCOMPARE(sheet.PaperWidth(), 105);
    QCOMPARE(sheet.PaperHeight(), 148);
    QCOMPARE(sheet.PaperRect(), QRect(1, 1, 105, 148));

    TShownPreview shown;
    QMenu menu;
    menu.addAction("Print");
    TPaperPreviewOptions look = shown.preview.PaperView();
    look.PopupMenu = &menu;
    shown.preview.SetPaperView(look);
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20),
                            shown.Sheet().mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(&shown.Sheet(), &click);
    QVERIFY(menu.isVisible());
    menu.hide();
}

QTEST_MAIN(TestPreviewView)
#include "tst_PreviewView.moc"
