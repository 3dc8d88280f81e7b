// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/FrameController.h"

#include "uikit/Controls.h"
#include "uikit/FrameGlyphs.h"
#include "uikit/MyImage.h"
#include "uikit/SkinFrame.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace {

bool IsStrip(TFrameKind kind) {
    return kind == TFrameKind::Main || kind == TFrameKind::Popup;
}

bool IsResizable(TFrameKind kind) {
    return kind == TFrameKind::Main || kind == TFrameKind::Preview;
}

QColor BackgroundColour(TFrameKind kind) {
    switch (kind) {
    case TFrameKind::Main:
        return QColor(200, 200, 200);
    case TFrameKind::Popup:
        return QColor(235, 234, 219);
    case TFrameKind::Dialog:
    case TFrameKind::Preview:
        break;
    }
    return QColor(236, 233, 216);
}

// The title font: Arial bold at 10 points on the main window and 9 points on the dialogs,
// sized in pixels as on a 96 dpi screen so that the title keeps its size on every display.
QFont TitleFont(TFrameKind kind) {
    QFont font = StandInFont();
    font.setBold(true);
    font.setPixelSize(kind == TFrameKind::Main ? 13 : 12);
    return font;
}

// Double clicks on the window's own surface above this row maximize and restore.
int CaptionRows(TFrameKind kind) {
    return kind == TFrameKind::Main ? 24 : 30;
}

bool IsFrameZone(THitZone zone) {
    return zone != THitZone::Client && zone != THitZone::Default;
}

Qt::Edges ResizeEdges(THitZone zone) {
    switch (zone) {
    case THitZone::Left:
        return Qt::LeftEdge;
    case THitZone::Right:
        return Qt::RightEdge;
    case THitZone::Top:
        return Qt::TopEdge;
    case THitZone::Bottom:
        return Qt::BottomEdge;
    case THitZone::TopLeft:
        return Qt::TopEdge | Qt::LeftEdge;
    case THitZone::TopRight:
        return Qt::TopEdge | Qt::RightEdge;
    case THitZone::BottomLeft:
        return Qt::BottomEdge | Qt::LeftEdge;
    case THitZone::BottomRight:
        return Qt::BottomEdge | Qt::RightEdge;
    case THitZone::Default:
    case THitZone::Client:
    case THitZone::Caption:
        break;
    }
    return {};
}

// Where a move (the caption) or a resize from an edge or corner puts the window when the
// pointer has moved by delta; a resize stops at the window's minimum size.
QRect DraggedGeometry(THitZone zone, const QRect& start, QPoint delta, QSize minimum) {
    if (zone == THitZone::Caption)
        return start.translated(delta);
    const Qt::Edges edges = ResizeEdges(zone);
    QRect result = start;
    const int minWidth = std::max(minimum.width(), 1);
    const int minHeight = std::max(minimum.height(), 1);
    if (edges & Qt::LeftEdge)
        result.setLeft(std::min(start.left() + delta.x(), start.right() + 1 - minWidth));
    if (edges & Qt::RightEdge)
        result.setRight(std::max(start.right() + delta.x(), start.left() + minWidth - 1));
    if (edges & Qt::TopEdge)
        result.setTop(std::min(start.top() + delta.y(), start.bottom() + 1 - minHeight));
    if (edges & Qt::BottomEdge)
        result.setBottom(std::max(start.bottom() + delta.y(), start.top() + minHeight - 1));
    return result;
}

} // namespace

TFrameController::TFrameController(QWidget* window, TFrameKind kind)
    : QObject(window), window_(window), kind_(kind) {
    window_->setWindowFlag(Qt::FramelessWindowHint);
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window, BackgroundColour(kind_));
    window_->setPalette(palette);
    window_->setAutoFillBackground(true);

    if (kind_ != TFrameKind::Popup) {
        label1_ = new QLabel(window_);
        label1_->setObjectName("Label1");
        label1_->setFont(TitleFont(kind_));
        QPalette text = label1_->palette();
        text.setColor(QPalette::WindowText, Qt::black);
        label1_->setPalette(text);
        label1_->adjustSize();
        label1_->move(14, 14);
        label1_->installEventFilter(this);
    }
    CreateButtons();
    window_->installEventFilter(this);
    FormResize();
}

void TFrameController::CreateButtons() {
    switch (kind_) {
    case TFrameKind::Main:
        ImageClose = StripButtonPicture(TFrameGlyph::Close, false);
        ImageCloseOn = StripButtonPicture(TFrameGlyph::Close, true);
        imageMin = StripButtonPicture(TFrameGlyph::Minimize, false);
        ImageMinOn = StripButtonPicture(TFrameGlyph::Minimize, true);
        ImageMax = StripButtonPicture(TFrameGlyph::Maximize, false);
        ImageMaxOn = StripButtonPicture(TFrameGlyph::Maximize, true);
        ImageNormal = StripButtonPicture(TFrameGlyph::Restore, false);
        ImageNormalOn = StripButtonPicture(TFrameGlyph::Restore, true);
        minButton_ = CreateButton(imageMin, ImageMinOn, "Image_Min", "Minimize");
        connect(minButton_, &TMyImage::clicked, window_, &QWidget::showMinimized);
        break;
    case TFrameKind::Popup:
        ImageClose = PopupClosePicture(false);
        ImageCloseOn = PopupClosePicture(true);
        break;
    case TFrameKind::Dialog:
        ImageClose = DialogButtonPicture(TFrameGlyph::Close, false);
        ImageCloseOn = DialogButtonPicture(TFrameGlyph::Close, true);
        break;
    case TFrameKind::Preview:
        ImageClose = DialogButtonPicture(TFrameGlyph::Close, false);
        ImageCloseOn = DialogButtonPicture(TFrameGlyph::Close, true);
        ImageMax = DialogButtonPicture(TFrameGlyph::Maximize, false);
        ImageMaxOn = DialogButtonPicture(TFrameGlyph::Maximize, true);
        ImageNormal = DialogButtonPicture(TFrameGlyph::Restore, false);
        ImageNormalOn = DialogButtonPicture(TFrameGlyph::Restore, true);
        break;
    }
    if (IsResizable(kind_)) {
        // The maximize button's pair follows Maximized, looked at only when the pointer
        // enters or leaves, so a click leaves the picture as it is until then.
        maxButton_ = new TMyImage(window_);
        maxButton_->setObjectName("Image_Max");
        maxButton_->setAccessibleName("Maximize");
        maxButton_->setPixmap(ImageMax);
        maxButton_->setFixedSize(ImageMax.size());
        maxButton_->installEventFilter(this);
        connect(maxButton_, &TMyImage::OnMouseEnter, this, [this] { ShowMaxPicture(true); });
        connect(maxButton_, &TMyImage::OnMouseLeave, this, [this] { ShowMaxPicture(false); });
        connect(maxButton_, &TMyImage::clicked, this, &TFrameController::Image_MaxClick);
    }
    closeButton_ = CreateButton(ImageClose, ImageCloseOn, "Image_Close", "Close");
    connect(closeButton_, &TMyImage::clicked, window_, &QWidget::close);
}

TMyImage* TFrameController::CreateButton(const QPixmap& normal, const QPixmap& hover,
                                         const char* name, const QString& accessibleName) {
    auto* button = new TMyImage(window_);
    button->setObjectName(name);
    button->setAccessibleName(accessibleName);
    button->setPixmap(normal);
    button->setFixedSize(normal.size());
    button->installEventFilter(this);
    connect(button, &TMyImage::OnMouseEnter, button, [button, hover] { button->setPixmap(hover); });
    connect(button, &TMyImage::OnMouseLeave, button,
            [button, normal] { button->setPixmap(normal); });
    return button;
}

void TFrameController::ShowMaxPicture(bool hover) {
    if (maximized_)
        maxButton_->setPixmap(hover ? ImageNormalOn : ImageNormal);
    else
        maxButton_->setPixmap(hover ? ImageMaxOn : ImageMax);
}

void TFrameController::SetTitle(const QString& text) {
    label1_->setText(text);
    label1_->adjustSize();
    if (kind_ == TFrameKind::Main)
        label1_->move((window_->width() - label1_->width()) / 2, 5);
    else
        label1_->move(14, 14);
}

void TFrameController::SetBlackLineRow(int row) {
    blackLineRow_ = row;
    window_->update();
}

THitZone TFrameController::WMNCHitTest(QPoint point) const {
    const int w = window_->width();
    const int h = window_->height();
    switch (kind_) {
    case TFrameKind::Main:
        return MainWindowHitTest(point.x(), point.y(), w, h, maximized_);
    case TFrameKind::Popup:
        return PopupHitTest(point.x(), point.y(), w);
    case TFrameKind::Dialog:
        return DialogHitTest(point.x(), point.y(), w);
    case TFrameKind::Preview:
        break;
    }
    return PreviewHitTest(point.x(), point.y(), w, h, maximized_);
}

void TFrameController::Image_MaxClick() {
    QScreen* screen = window_->screen();
    if (!maximized_) {
        savedBounds_ = window_->geometry();
        maximized_ = true;
        NameMaxButton();
        if (kind_ == TFrameKind::Preview) {
            // The preview keeps filling the work area when it changes (a moved taskbar).
            workAreaLink_ = connect(screen, &QScreen::availableGeometryChanged, this,
                                    &TFrameController::FillWorkArea);
            FillWorkArea(screen->availableGeometry());
            return;
        }
        // The main window takes the work area's size, one pixel more each way, from the
        // screen's top left corner wherever the taskbar is.
        const QSize area = screen->availableGeometry().size();
        window_->setGeometry(QRect(screen->geometry().topLeft(), area + QSize(1, 1)));
        window_->raise();
        return;
    }
    disconnect(workAreaLink_);
    window_->setGeometry(savedBounds_);
    if (kind_ == TFrameKind::Main)
        window_->raise();
    maximized_ = false;
    NameMaxButton();
}

// The picture changes only when the pointer comes or goes; the name says at once what a
// press will do.
void TFrameController::NameMaxButton() {
    maxButton_->setAccessibleName(maximized_ ? "Restore" : "Maximize");
}

void TFrameController::FillWorkArea(const QRect& workArea) {
    window_->setGeometry(workArea);
}

void TFrameController::FormPaint(QPainter& painter) const {
    switch (kind_) {
    case TFrameKind::Main:
        DrawStripFrame(painter, window_->size(), MainStripPicture());
        break;
    case TFrameKind::Popup:
        DrawStripFrame(painter, window_->size(), PopupStripPicture());
        break;
    case TFrameKind::Dialog:
    case TFrameKind::Preview:
        DrawDialogFrame(painter, window_->size(), blackLineRow_);
        break;
    }
}

void TFrameController::FormResize() {
    const int w = window_->width();
    switch (kind_) {
    case TFrameKind::Main:
        minButton_->move(w - 53, 5);
        maxButton_->move(w - 37, 5);
        closeButton_->move(w - 21, 5);
        label1_->move((w - label1_->width()) / 2, 5);
        break;
    case TFrameKind::Popup:
        closeButton_->move(w - 16, 2);
        break;
    case TFrameKind::Dialog:
        closeButton_->move(w - 28, 12);
        break;
    case TFrameKind::Preview:
        maxButton_->move(w - 46, 12);
        closeButton_->move(w - 28, 12);
        break;
    }
    if (IsStrip(kind_))
        window_->setMask(StripWindowRegion(window_->size()));
    window_->update();
}

void TFrameController::CentreOnWorkArea() {
    const QRect area = window_->screen()->availableGeometry();
    window_->move(area.x() + (area.width() - window_->width()) / 2,
                  area.y() + (area.height() - window_->height()) / 2);
}

bool TFrameController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        switch (event->type()) {
        case QEvent::Paint: {
            QPainter painter(window_);
            FormPaint(painter);
            return false;
        }
        case QEvent::Resize:
            FormResize();
            return false;
        case QEvent::Show:
            if (!centred_) {
                centred_ = true;
                CentreOnWorkArea();
            }
            return false;
        default:
            break;
        }
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return FrameMouseEvent(static_cast<QWidget*>(watched), static_cast<QMouseEvent*>(event));
    default:
        return false;
    }
}

// The window answers for its own surface and for the frame's title and buttons, which sit on
// that surface; every other child answers for itself, so a press that reaches the window from
// one of them is left alone. A press in a caption or border zone is taken here and becomes a
// window-system move or resize once the pointer moves, which keeps double clicks intact.
void TFrameController::StartDrag(THitZone zone, QPoint pointer) {
    QWindow* handle = window_->windowHandle();
    const bool started =
        handle && (zone == THitZone::Caption ? handle->startSystemMove()
                                             : handle->startSystemResize(ResizeEdges(zone)));
    if (!started)
        manualDrag_ = TManualDrag{zone, pointer, window_->geometry()};
}

bool TFrameController::FrameMouseEvent(QWidget* target, QMouseEvent* event) {
    const QPoint point = target->mapTo(window_, event->position().toPoint());
    const bool onSurface = target != window_ || window_->childAt(point) == nullptr;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        if (event->button() != Qt::LeftButton || !onSurface)
            return false;
        const THitZone zone = WMNCHitTest(point);
        if (!IsFrameZone(zone))
            return false;
        pressedZone_ = zone;
        pressedAt_ = event->globalPosition().toPoint();
        return true;
    }
    case QEvent::MouseMove: {
        if (!(event->buttons() & Qt::LeftButton))
            return false;
        const bool starting = pressedZone_.has_value();
        if (starting) {
            StartDrag(*pressedZone_, pressedAt_);
            pressedZone_.reset();
        }
        if (!manualDrag_)
            return starting;
        const QPoint delta = event->globalPosition().toPoint() - manualDrag_->pointerStart;
        window_->setGeometry(DraggedGeometry(manualDrag_->zone, manualDrag_->geometryStart, delta,
                                             window_->minimumSize()));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (event->button() != Qt::LeftButton || (!pressedZone_ && !manualDrag_))
            return false;
        pressedZone_.reset();
        manualDrag_.reset();
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        if (event->button() != Qt::LeftButton || !IsResizable(kind_) || !onSurface)
            return false;
        pressedZone_.reset();
        if (IsFrameZone(WMNCHitTest(point))) {
            Image_MaxClick();
            return true;
        }
        if (target != window_ || point.y() >= CaptionRows(kind_))
            return false;
        Image_MaxClick();
        // The preview's button shows the pair of its new state at once, as on leaving it.
        if (kind_ == TFrameKind::Preview)
            ShowMaxPicture(false);
        return true;
    }
    default:
        return false;
    }
}
