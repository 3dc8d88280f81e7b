// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/FrameController.h"
#include "uikit/FrameGlyphs.h"
#include "uikit/MyImage.h"
#include "uikit/myLabel.h"

#include "tests/ui/TestSupport.h"

#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

// A window whose own close handling only counts, as the main window's hides instead.
class TCloseCounter : public QWidget {
public:
    int Closes = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        ++Closes;
        event->ignore();
    }
};

template <class TWindow>
std::unique_ptr<TWindow> ShownWindow(TFrameKind kind, QSize size, TFrameController** frame) {
    auto window = std::make_unique<TWindow>();
    *frame = new TFrameController(window.get(), kind);
    window->resize(size);
    window->show();
    return window;
}

bool Shows(const QLabel* label, const QPixmap& picture) {
    return label->pixmap().toImage() == picture.toImage();
}

void Enter(QWidget* widget) {
    QEnterEvent event(QPointF(4, 4), QPointF(4, 4), widget->mapToGlobal(QPointF(4, 4)));
    QCoreApplication::sendEvent(widget, &event);
}

void Leave(QWidget* widget) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &event);
}

// A left-button press, move or release at a point of the window, the pointer's screen
// position given as the window system would report it.
void SendLeft(QWidget* window, QEvent::Type type, QPoint local, QPoint global) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), QPointF(global),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, {});
    QCoreApplication::sendEvent(window, &event);
}

// Presses at a point of the window and drags the pointer by delta in two steps.
void Drag(QWidget* window, QPoint at, QPoint delta) {
    const QPoint global = window->geometry().topLeft() + at;
    SendLeft(window, QEvent::MouseButtonPress, at, global);
    SendLeft(window, QEvent::MouseMove, at + delta / 2, global + delta / 2);
    SendLeft(window, QEvent::MouseMove, at + delta, global + delta);
    SendLeft(window, QEvent::MouseButtonRelease, at + delta, global + delta);
}

QRect WorkArea(const QWidget& window) {
    return window.screen()->availableGeometry();
}

} // namespace

class TestFrameController : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { VerifyCleanEnd(); }

    void mainWindowFrame();
    void mainTitleStaysCentred();
    void dialogFrame();
    void previewButtonsFollowResize();
    void popupFrame();
    void firstShowCentresOnWorkArea();
    void hoverSwapsPictures();
    void maximizePictureIsChosenAtEnterAndLeave();
    void mainMaximizeAndRestore();
    void previewFollowsWorkArea();
    void doubleClickInCaptionRows();
    void doubleClickInFrameZones();
    void previewDoubleClickRefreshesPicture();
    void dialogDoubleClickDoesNothing();
    void minimizeButton();
    void pressOnButtonInCaptionZoneIsNoClick();
    void withoutSystemMovesThePointerDragsAndResizes();
    void closeButtonRunsWindowsClose();
    void closeButtonClosesDialog();
    void myImageEvents();
    void myLabelEvents();
};

void TestFrameController::mainWindowFrame() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QWidget>(TFrameKind::Main, {788, 569}, &frame);
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window->palette().color(QPalette::Window), QColor(200, 200, 200));
    QCOMPARE(frame->Image_Min()->geometry(), QRect(735, 5, 16, 16));
    QCOMPARE(frame->Image_Max()->geometry(), QRect(751, 5, 16, 16));
    QCOMPARE(frame->Image_Close()->geometry(), QRect(767, 5, 16, 16));
    QVERIFY(Shows(frame->Image_Min(), StripButtonPicture(TFrameGlyph::Minimize, false)));
    QVERIFY(Shows(frame->Image_Max(), StripButtonPicture(TFrameGlyph::Maximize, false)));
    QVERIFY(Shows(frame->Image_Close(), StripButtonPicture(TFrameGlyph::Close, false)));
    window->resize(500, 400);
    QCOMPARE(frame->Image_Min()->pos(), QPoint(447, 5));
    QCOMPARE(frame->Image_Max()->pos(), QPoint(463, 5));
    QCOMPARE(frame->Image_Close()->pos(), QPoint(479, 5));
    QVERIFY(!frame->Maximized());
}

void TestFrameController::mainTitleStaysCentred() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QWidget>(TFrameKind::Main, {788, 569}, &frame);
    frame->SetTitle("Tolvek Organizer");
    QLabel* title = frame->Label1();
    QCOMPARE(title->objectName(), QString("Label1"));
    QVERIFY(title->font().bold());
    QCOMPARE(title->font().pixelSize(), 13);
    QCOMPARE(title->width(), title->sizeHint().width());
    QCOMPARE(title->pos(), QPoint((788 - title->width()) / 2, 5));
    window->resize(401, 300);
    QCOMPARE(title->pos(), QPoint((401 - title->width()) / 2, 5));
    // A title wider than the window starts left of it, the division truncating toward zero.
    window->resize(title->width() - 3, 300);
    QCOMPARE(title->x(), -1);
}

void TestFrameController::dialogFrame() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QDialog>(TFrameKind::Dialog, {350, 273}, &frame);
    frame->SetTitle("Options");
    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window->palette().color(QPalette::Window), QColor(236, 233, 216));
    QCOMPARE(frame->Image_Close()->geometry(), QRect(322, 12, 16, 16));
    QVERIFY(Shows(frame->Image_Close(), DialogButtonPicture(TFrameGlyph::Close, false)));
    QVERIFY(!frame->Image_Min());
    QVERIFY(!frame->Image_Max());
    QLabel* title = frame->Label1();
    QCOMPARE(title->pos(), QPoint(14, 14));
    QCOMPARE(title->text(), QString("Options"));
    QVERIFY(title->font().bold());
    QCOMPARE(title->font().pixelSize(), 12);
    QCOMPARE(title->palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(title->width(), title->sizeHint().width());
}

void TestFrameController::previewButtonsFollowResize() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QDialog>(TFrameKind::Preview, {692, 566}, &frame);
    QCOMPARE(frame->Image_Max()->geometry(), QRect(646, 12, 16, 16));
    QCOMPARE(frame->Image_Close()->geometry(), QRect(664, 12, 16, 16));
    QVERIFY(Shows(frame->Image_Max(), DialogButtonPicture(TFrameGlyph::Maximize, false)));
    QVERIFY(!frame->Image_Min());
    window->resize(600, 500);
    QCOMPARE(frame->Image_Max()->pos(), QPoint(554, 12));
    QCOMPARE(frame->Image_Close()->pos(), QPoint(572, 12));
}

void TestFrameController::popupFrame() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QDialog>(TFrameKind::Popup, {292, 446}, &frame);
    QCOMPARE(window->palette().color(QPalette::Window), QColor(235, 234, 219));
    QCOMPARE(frame->Image_Close()->geometry(), QRect(276, 2, 9, 9));
    QVERIFY(Shows(frame->Image_Close(), PopupClosePicture(false)));
    QVERIFY(!frame->Label1());
    QVERIFY(!frame->Image_Min());
    QVERIFY(!frame->Image_Max());
}

void TestFrameController::firstShowCentresOnWorkArea() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QDialog>(TFrameKind::Dialog, {350, 273}, &frame);
    const QRect area = WorkArea(*window);
    QCOMPARE(window->pos(),
             QPoint(area.x() + (area.width() - 350) / 2, area.y() + (area.height() - 273) / 2));
    // Later shows leave the window where it was.
    window->hide();
    window->move(area.topLeft() + QPoint(20, 30));
    window->show();
    QCOMPARE(window->pos(), area.topLeft() + QPoint(20, 30));
}

void TestFrameController::hoverSwapsPictures() {
    TFrameController* mainFrame = nullptr;
    auto main = ShownWindow<QWidget>(TFrameKind::Main, {788, 569}, &mainFrame);
    Enter(mainFrame->Image_Close());
    QVERIFY(Shows(mainFrame->Image_Close(), StripButtonPicture(TFrameGlyph::Close, true)));
    Leave(mainFrame->Image_Close());
    QVERIFY(Shows(mainFrame->Image_Close(), StripButtonPicture(TFrameGlyph::Close, false)));
    Enter(mainFrame->Image_Min());
    QVERIFY(Shows(mainFrame->Image_Min(), StripButtonPicture(TFrameGlyph::Minimize, true)));
    Leave(mainFrame->Image_Min());
    QVERIFY(Shows(mainFrame->Image_Min(), StripButtonPicture(TFrameGlyph::Minimize, false)));

    TFrameController* dialogFrame = nullptr;
    auto dialog = ShownWindow<QDialog>(TFrameKind::Dialog, {350, 273}, &dialogFrame);
    Enter(dialogFrame->Image_Close());
    QVERIFY(Shows(dialogFrame->Image_Close(), DialogButtonPicture(TFrameGlyph::Close, true)));
    Leave(dialogFrame->Image_Close());
    QVERIFY(Shows(dialogFrame->Image_Close(), DialogButtonPicture(TFrameGlyph::Close, false)));

    TFrameController* popupFrame = nullptr;
    auto popup = ShownWindow<QDialog>(TFrameKind::Popup, {292, 446}, &popupFrame);
    Enter(popupFrame->Image_Close());
    QVERIFY(Shows(popupFrame->Image_Close(), PopupClosePicture(true)));
    Leave(popupFrame->Image_Close());
    QVERIFY(Shows(popupFrame->Image_Close(), PopupClosePicture(false)));
}

void TestFrameController::maximizePictureIsChosenAtEnterAndLeave() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QWidget>(TFrameKind::Main, {300, 200}, &frame);
    TMyImage* button = frame->Image_Max();
    Enter(button);
    QVERIFY(Shows(button, StripButtonPicture(TFrameGlyph::Maximize, true)));
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(frame->Maximized());
    QVERIFY(Shows(button, StripButtonPicture(TFrameGlyph::Maximize, true)));
    Leave(button);
    QVERIFY(Shows(button, StripButtonPicture(TFrameGlyph::Restore, false)));
    Enter(button);
    QVERIFY(Shows(button, StripButtonPicture(TFrameGlyph::Restore, true)));
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!frame->Maximized());
    QVERIFY(Shows(button, StripButtonPicture(TFrameGlyph::Restore, true)));
    Leave(button);
    QVERIFY(Shows(button, StripButtonPicture(TFrameGlyph::Maximize, false)));
}

void TestFrameController::mainMaximizeAndRestore() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QWidget>(TFrameKind::Main, {300, 200}, &frame);
    const QRect area = WorkArea(*window);
    const QRect before(area.topLeft() + QPoint(37, 41), QSize(300, 200));
    window->setGeometry(before);
    frame->Image_MaxClick();
    QVERIFY(frame->Maximized());
    QCOMPARE(frame->SavedBounds(), before);
    QCOMPARE(window->geometry(),
             QRect(window->screen()->geometry().topLeft(), area.size() + QSize(1, 1)));
    QCOMPARE(frame->Image_Close()->pos(), QPoint(area.width() + 1 - 21, 5));
    QVERIFY(!window->mask().contains(QPoint(area.width(), 100)));
    QVERIFY(window->mask().contains(QPoint(area.width() - 1, 100)));
    frame->Image_MaxClick();
    QVERIFY(!frame->Maximized());
    QCOMPARE(window->geometry(), before);
    QCOMPARE(frame->Image_Close()->pos(), QPoint(279, 5));
    QCOMPARE(window->mask().boundingRect(), QRect(0, 0, 299, 199));
}

void TestFrameController::previewFollowsWorkArea() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QDialog>(TFrameKind::Preview, {692, 566}, &frame);
    const QRect before = window->geometry();
    QScreen* screen = window->screen();
    frame->Image_MaxClick();
    QVERIFY(frame->Maximized());
    QCOMPARE(window->geometry(), screen->availableGeometry());
    const QRect smaller(0, 30, 700, 500);
    emit screen->availableGeometryChanged(smaller);
    QCOMPARE(window->geometry(), smaller);
    frame->Image_MaxClick();
    QVERIFY(!frame->Maximized());
    QCOMPARE(window->geometry(), before);
    // Restored, the window no longer follows the work area.
    emit screen->availableGeometryChanged(QRect(0, 0, 640, 480));
    QCOMPARE(window->geometry(), before);
}

void TestFrameController::doubleClickInCaptionRows() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QWidget>(TFrameKind::Main, {300, 200}, &frame);
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(60, 23));
    QVERIFY(frame->Maximized());
    // Maximized, every point is the default zone: only the caption rows toggle.
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(60, 24));
    QVERIFY(frame->Maximized());
    Enter(frame->Image_Max());
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(60, 23));
    QVERIFY(!frame->Maximized());
    // The main window leaves the button's picture as it was.
    QVERIFY(Shows(frame->Image_Max(), StripButtonPicture(TFrameGlyph::Restore, true)));
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(60, 24));
    QVERIFY(!frame->Maximized());
}

void TestFrameController::doubleClickInFrameZones() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QWidget>(TFrameKind::Main, {300, 200}, &frame);
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(1, 100));
    QVERIFY(frame->Maximized());
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(1, 100));
    QVERIFY(frame->Maximized());
    frame->Image_MaxClick();
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(150, 198));
    QVERIFY(frame->Maximized());
    frame->Image_MaxClick();
    // The leftmost four columns of the minimize button lie in the caption zone.
    QTest::mouseDClick(frame->Image_Min(), Qt::LeftButton, {}, QPoint(3, 5));
    QVERIFY(frame->Maximized());
    QVERIFY(!window->isMinimized());
}

void TestFrameController::previewDoubleClickRefreshesPicture() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QDialog>(TFrameKind::Preview, {692, 566}, &frame);
    // Restored, row 29 is the caption zone: the toggle leaves the picture alone.
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(100, 29));
    QVERIFY(frame->Maximized());
    QVERIFY(Shows(frame->Image_Max(), DialogButtonPicture(TFrameGlyph::Maximize, false)));
    // Maximized, a double click on the surface above row 30 restores and shows the pair of
    // the new state without hover.
    Enter(frame->Image_Max());
    QVERIFY(Shows(frame->Image_Max(), DialogButtonPicture(TFrameGlyph::Restore, true)));
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(100, 29));
    QVERIFY(!frame->Maximized());
    QVERIFY(Shows(frame->Image_Max(), DialogButtonPicture(TFrameGlyph::Maximize, false)));
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(100, 30));
    QVERIFY(!frame->Maximized());
    frame->Image_MaxClick();
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(100, 30));
    QVERIFY(frame->Maximized());
}

void TestFrameController::dialogDoubleClickDoesNothing() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QDialog>(TFrameKind::Dialog, {350, 273}, &frame);
    const QRect before = window->geometry();
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(100, 20));
    QCOMPARE(window->geometry(), before);
    QVERIFY(!frame->Maximized());
}

void TestFrameController::minimizeButton() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QWidget>(TFrameKind::Main, {300, 200}, &frame);
    QTest::mouseClick(frame->Image_Min(), Qt::LeftButton, {}, QPoint(8, 8));
    QVERIFY(window->isMinimized());
}

void TestFrameController::pressOnButtonInCaptionZoneIsNoClick() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QWidget>(TFrameKind::Main, {300, 200}, &frame);
    QTest::mouseClick(frame->Image_Min(), Qt::LeftButton, {}, QPoint(3, 8));
    QVERIFY(!window->isMinimized());
    QTest::mouseClick(frame->Image_Min(), Qt::LeftButton, {}, QPoint(4, 8));
    QVERIFY(window->isMinimized());
}

// The offscreen platform, like a bare X server, starts no system move or resize: the frame
// follows the pointer itself.
void TestFrameController::withoutSystemMovesThePointerDragsAndResizes() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QWidget>(TFrameKind::Main, {400, 300}, &frame);
    window->setMinimumSize(200, 150);
    window->move(100, 80);
    QCOMPARE(frame->WMNCHitTest({150, 12}), THitZone::Caption);
    Drag(window.get(), {150, 12}, {30, -20});
    QCOMPARE(window->geometry(), QRect(130, 60, 400, 300));

    // The bottom right corner: both edges follow the pointer.
    QCOMPARE(frame->WMNCHitTest({398, 298}), THitZone::BottomRight);
    Drag(window.get(), {398, 298}, {50, 40});
    QCOMPARE(window->geometry(), QRect(130, 60, 450, 340));

    // The left edge moves the left side only, and stops at the minimum width.
    QCOMPARE(frame->WMNCHitTest({1, 150}), THitZone::Left);
    Drag(window.get(), {1, 150}, {400, 0});
    QCOMPARE(window->geometry(), QRect(380, 60, 200, 340));

    // A move with the button up after the release changes nothing.
    SendLeft(window.get(), QEvent::MouseMove, {150, 12}, {600, 600});
    QCOMPARE(window->geometry(), QRect(380, 60, 200, 340));
}

void TestFrameController::closeButtonRunsWindowsClose() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<TCloseCounter>(TFrameKind::Main, {300, 200}, &frame);
    QTest::mouseClick(frame->Image_Close(), Qt::LeftButton);
    QCOMPARE(window->Closes, 1);
    QVERIFY(window->isVisible());
}

void TestFrameController::closeButtonClosesDialog() {
    TFrameController* frame = nullptr;
    auto window = ShownWindow<QDialog>(TFrameKind::Dialog, {350, 273}, &frame);
    QTest::mouseClick(frame->Image_Close(), Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(window->result(), int(QDialog::Rejected));
}

template <class TControl> void CheckControlEvents() {
    QWidget parent;
    auto* control = new TControl(&parent);
    control->resize(20, 20);
    parent.show();
    QSignalSpy entered(control, &TControl::OnMouseEnter);
    QSignalSpy left(control, &TControl::OnMouseLeave);
    QSignalSpy clicked(control, &TControl::clicked);
    Enter(control);
    QCOMPARE(entered.count(), 1);
    QCOMPARE(entered.at(0).at(0).template value<QObject*>(), control);
    QCOMPARE(left.count(), 0);
    Leave(control);
    QCOMPARE(left.count(), 1);
    QCOMPARE(left.at(0).at(0).template value<QObject*>(), control);

    QTest::mouseClick(control, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QTest::mouseClick(control, Qt::RightButton);
    QTest::mouseRelease(control, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QTest::mousePress(control, Qt::LeftButton);
    QTest::mouseRelease(control, Qt::LeftButton, {}, QPoint(30, 5));
    QCOMPARE(clicked.count(), 1);
}

void TestFrameController::myImageEvents() {
    CheckControlEvents<TMyImage>();
}

void TestFrameController::myLabelEvents() {
    CheckControlEvents<TMyLabel>();
}

QTEST_MAIN(TestFrameController)
#include "tst_FrameController.moc"
