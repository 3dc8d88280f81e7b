// SPDX-License-Identifier: GPL-3.0-or-later

#include "preview/Preview.h"

#include "preview/Units.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace {

// Room kept between the view's edges and a sheet that scrolls.
constexpr int ScrollMargin = 10;
constexpr int WheelNotch = 120;

} // namespace

// ---- Zoom -------------------------------------------------------------------------------

void TPrintPreview::SetZoom(int zoom) {
    zoom = std::clamp(zoom, zoomMin_, zoomMax_);
    if (zoom == zoom_ && zoomState_ == zsZoomOther)
        return;
    const int previous = zoom_;
    zoom_ = zoom;
    zoomState_ = zsZoomOther;
    UpdateZoom();
    if (TotalPages() > 0 && !sheet_->HasBitmap()) {
        zoom_ = previous;
        UpdateZoom();
    } else {
        emit ZoomChanged();
    }
}

void TPrintPreview::SetZoomState(TZoomState state) {
    if (state == zoomState_)
        return;
    zoomState_ = state;
    UpdateZoom();
}

void TPrintPreview::SetZoomMin(int zoom) {
    if (zoom <= 0 || zoom == zoomMin_ || zoom > zoomMax_)
        return;
    zoomMin_ = zoom;
    if (zoomState_ == zsZoomOther && zoom_ < zoomMin_)
        SetZoom(zoomMin_);
}

void TPrintPreview::SetZoomMax(int zoom) {
    if (zoom == zoomMax_ || zoom < zoomMin_)
        return;
    zoomMax_ = zoom;
    if (zoomState_ == zsZoomOther && zoom_ > zoomMax_)
        SetZoom(zoomMax_);
}

int TPrintPreview::Extra() const {
    return 2 * paperView_.BorderWidth + paperView_.ShadowWidth;
}

QSize TPrintPreview::SheetSize(const QSize& area, int* zoom) const {
    const int extra = Extra();
    const int pw = pagePixels_.width();
    const int ph = pagePixels_.height();
    // Too small a view still gets a sheet with a paper of one pixel.
    const int aw = std::max(area.width(), extra + 1);
    const int ah = std::max(area.height(), extra + 1);
    TZoomState state = zoomState_;
    if (state == zsZoomToFit)
        state = qint64(ah) * pw > qint64(ph) * aw ? zsZoomToWidth : zsZoomToHeight;
    QSize size;
    switch (state) {
    case zsZoomOther:
        size = QSize(MulDivRound(pw, zoom_, 100) + extra, MulDivRound(ph, zoom_, 100) + extra);
        break;
    case zsZoomToWidth:
        size = QSize(aw, MulDivRound(aw - extra, ph, pw) + extra);
        break;
    default:
        size = QSize(MulDivRound(ah - extra, pw, ph) + extra, ah);
        break;
    }
    if (zoomState_ != zsZoomOther)
        *zoom = MulDivRound(100, size.height() - extra, ph);
    return size;
}

void TPrintPreview::UpdateZoom() {
    if (TotalPages() == 0 || updatingZoom_)
        return;
    updatingZoom_ = true;
    const int previousZoom = zoom_;
    QScrollBar* horizontal = horizontalScrollBar();
    QScrollBar* vertical = verticalScrollBar();
    // The area the sheet may take when no scroll bar shows.
    const QSize full = maximumViewportSize();
    const QSize area(full.width() - 2 * ScrollMargin, full.height() - 2 * ScrollMargin);
    const bool keepPosition = zoomSavePos_ && shownPage_ > 0;
    const double across = keepPosition && horizontal->maximum() > 0
                              ? double(horizontal->value()) / horizontal->maximum()
                              : 0;
    const double down = keepPosition && vertical->maximum() > 0
                            ? double(vertical->value()) / vertical->maximum()
                            : 0;

    setUpdatesEnabled(false);
    horizontal->setValue(0);
    vertical->setValue(0);
    // A sheet that scrolls one way takes a scroll bar's room from the other way, which may
    // then have to scroll too.
    const int barHeight = horizontal->sizeHint().height();
    const int barWidth = vertical->sizeHint().width();
    bool scrollsAcross = false;
    bool scrollsDown = false;
    QSize room = area;
    QSize size = SheetSize(room, &zoom_);
    for (;;) {
        const bool nowAcross = scrollsAcross || size.width() > room.width();
        const bool nowDown = scrollsDown || size.height() > room.height();
        if (nowAcross == scrollsAcross && nowDown == scrollsDown)
            break;
        scrollsAcross = nowAcross;
        scrollsDown = nowDown;
        room = QSize(area.width() - (scrollsDown ? barWidth : 0),
                     area.height() - (scrollsAcross ? barHeight : 0));
        size = SheetSize(room, &zoom_);
    }
    scrollsHorizontally_ = scrollsAcross;
    scrollsVertically_ = scrollsDown;
    sheetOrigin_ = QPoint(ScrollMargin + (scrollsAcross ? 0 : (room.width() - size.width()) / 2),
                          ScrollMargin + (scrollsDown ? 0 : (room.height() - size.height()) / 2));
    sheet_->SetSheetSize(size);
    const QSize view(room.width() + 2 * ScrollMargin, room.height() + 2 * ScrollMargin);
    horizontal->setRange(0, scrollsAcross ? size.width() + 2 * ScrollMargin - view.width() : 0);
    horizontal->setPageStep(view.width());
    vertical->setRange(0, scrollsDown ? size.height() + 2 * ScrollMargin - view.height() : 0);
    vertical->setPageStep(view.height());
    if (keepPosition) {
        horizontal->setValue(qRound(across * horizontal->maximum()));
        vertical->setValue(qRound(down * vertical->maximum()));
    }
    PlaceSheet();
    setUpdatesEnabled(true);

    grabbing_ = false;
    sheet_->setCursor(scrollsAcross || scrollsDown ? paperView_.DragCursor : paperView_.Cursor);
    updatingZoom_ = false;
    if (zoom_ != previousZoom)
        emit ZoomChanged();
}

void TPrintPreview::PlaceSheet() {
    sheet_->move(sheetOrigin_ -
                 QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value()));
}

void TPrintPreview::scrollContentsBy(int, int) {
    PlaceSheet();
}

void TPrintPreview::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateZoom();
}

void TPrintPreview::SetPaperView(const TPaperPreviewOptions& options) {
    paperView_ = options;
    sheet_->SetBorderColor(options.BorderColor);
    sheet_->SetBorderSize(options.BorderWidth);
    sheet_->SetPaperColor(options.PaperColor);
    sheet_->SetShadowColor(options.ShadowColor);
    sheet_->SetShadowSize(options.ShadowWidth);
    sheet_->SetPopupMenu(options.PopupMenu);
    sheet_->setCursor(options.Cursor);
    UpdateZoom();
}

QColor TPrintPreview::Color() const {
    return viewport()->palette().color(QPalette::Window);
}

void TPrintPreview::SetColor(const QColor& color) {
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Window, color);
    viewport()->setPalette(palette);
}

// ---- Pages on view ----------------------------------------------------------------------

void TPrintPreview::PagesChanged() {
    if (TotalPages() == 0) {
        shownPage_ = 0;
        sheet_->hide();
    } else if (shownPage_ == 0) {
        UpdateZoom();
        shownPage_ = 1;
        sheet_->show();
    }
    RebuildAnnotation();
    sheet_->InvalidatePage();
    emit Changed();
}

void TPrintPreview::PageChanged(int index) {
    if (index + 1 != shownPage_)
        return;
    RebuildAnnotation();
    sheet_->InvalidatePage();
    emit Changed();
}

void TPrintPreview::SetShownPage(int page) {
    if (TotalPages() == 0)
        return;
    page = std::clamp(page, 1, TotalPages());
    if (page == shownPage_)
        return;
    shownPage_ = page;
    RebuildAnnotation();
    sheet_->InvalidatePage();
    emit Changed();
}

void TPrintPreview::SetAnnotation(bool annotation) {
    if (annotation == annotation_)
        return;
    annotation_ = annotation;
    RebuildAnnotation();
    sheet_->InvalidatePage();
}

void TPrintPreview::RebuildAnnotation() {
    annotationPicture_.reset();
    if (!annotation_ || shownPage_ == 0 ||
        !isSignalConnected(QMetaMethod::fromSignal(&TPrintPreview::Annotate)))
        return;
    auto picture = std::make_unique<TPagePicture>();
    QPainter canvas(picture.get());
    canvas.setFont(font());
    MapPictureCanvas(canvas, *picture, paperSize_, recordedPixels_, logicalDpiX(), logicalDpiY());
    emit Annotate(shownPage_, canvas);
    canvas.end();
    annotationPicture_ = std::move(picture);
}

void TPrintPreview::PaintPage(QPainter& painter, const QRect& paper) {
    if (shownPage_ == 0)
        return;
    PlayPicture(painter, pages_->Page(shownPage_ - 1), recordedPixels_, paper);
    if (annotationPicture_)
        PlayPicture(painter, *annotationPicture_, recordedPixels_, paper);
}

// ---- Keys, wheel and dragging -----------------------------------------------------------

void TPrintPreview::ScrollBy(int dx, int dy) {
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dx);
    verticalScrollBar()->setValue(verticalScrollBar()->value() + dy);
}

void TPrintPreview::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool plain = modifiers == Qt::NoModifier;
    const bool shift = modifiers == Qt::ShiftModifier;
    const bool ctrl = modifiers == Qt::ControlModifier;
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    QScrollBar* horizontal = horizontalScrollBar();
    QScrollBar* vertical = verticalScrollBar();
    const int stepAcross = horizontal->singleStep();
    const int stepDown = vertical->singleStep();
    switch (event->key()) {
    case Qt::Key_Home:
        if (plain)
            horizontal->setValue(0);
        else if (ctrl)
            vertical->setValue(0);
        else
            break;
        return;
    case Qt::Key_End:
        if (plain)
            horizontal->setValue(horizontal->maximum());
        else if (ctrl)
            vertical->setValue(vertical->maximum());
        else
            break;
        return;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int sign = event->key() == Qt::Key_Left ? -1 : 1;
        if (plain)
            ScrollBy(sign * stepAcross, 0);
        else if (shift)
            ScrollBy(sign, 0);
        else if (ctrl)
            ScrollBy(sign * viewport()->width(), 0);
        else
            break;
        return;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int sign = event->key() == Qt::Key_Up ? -1 : 1;
        if (plain)
            ScrollBy(0, sign * stepDown);
        else if (shift)
            ScrollBy(0, sign);
        else if (ctrl)
            ScrollBy(0, sign * viewport()->height());
        else
            break;
        return;
    }
    case Qt::Key_PageDown:
        if (plain)
            SetShownPage(shownPage_ + 1);
        else if (ctrl)
            SetShownPage(TotalPages());
        else
            break;
        return;
    case Qt::Key_PageUp:
        if (plain)
            SetShownPage(shownPage_ - 1);
        else if (ctrl)
            SetShownPage(1);
        else
            break;
        return;
    case Qt::Key_Plus:
        if (keypad && plain) {
            SetZoom(zoom_ + zoomStep_);
            return;
        }
        break;
    case Qt::Key_Minus:
        if (keypad && plain) {
            SetZoom(zoom_ - zoomStep_);
            return;
        }
        break;
    default:
        break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void TPrintPreview::WheelStep(bool away, Qt::KeyboardModifiers modifiers,
                              Qt::MouseButtons buttons) {
    if (modifiers == Qt::ControlModifier)
        SetZoom(zoom_ + (away ? zoomStep_ : -zoomStep_));
    else if (modifiers == Qt::ShiftModifier || buttons == Qt::MiddleButton)
        SetShownPage(shownPage_ + (away ? -1 : 1));
    else
        ScrollBy(0, away ? -verticalScrollBar()->singleStep() : verticalScrollBar()->singleStep());
}

void TPrintPreview::wheelEvent(QWheelEvent* event) {
    // Qt gives the wheel to the widget under the pointer, so the point is always within.
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const Qt::MouseButtons buttons = event->buttons();
    const bool handled = (buttons == Qt::NoButton &&
                          (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier ||
                           modifiers == Qt::ControlModifier)) ||
                         (buttons == Qt::MiddleButton && modifiers == Qt::NoModifier);
    const int delta = event->angleDelta().y();
    if (!handled || delta == 0) {
        event->ignore();
        return;
    }
    wheelAccumulator_ += delta;
    while (wheelAccumulator_ >= WheelNotch) {
        wheelAccumulator_ -= WheelNotch;
        WheelStep(true, modifiers, buttons);
    }
    while (wheelAccumulator_ <= -WheelNotch) {
        wheelAccumulator_ += WheelNotch;
        WheelStep(false, modifiers, buttons);
    }
    event->accept();
}

void TPrintPreview::DragSheet(const QPoint& globalPos) {
    const QPoint delta = globalPos - grabPoint_;
    grabPoint_ = globalPos;
    QScrollBar* horizontal = horizontalScrollBar();
    QScrollBar* vertical = verticalScrollBar();
    // A way that scrolls moves the scroll bar; the other moves the sheet within the view.
    const auto within = [](int value, int a, int b) {
        return std::clamp(value, std::min(a, b), std::max(a, b));
    };
    if (scrollsHorizontally_)
        horizontal->setValue(horizontal->value() - delta.x());
    else
        sheetOrigin_.setX(within(sheetOrigin_.x() + delta.x(), ScrollMargin,
                                 viewport()->width() - ScrollMargin - sheet_->width()));
    if (scrollsVertically_)
        vertical->setValue(vertical->value() - delta.y());
    else
        sheetOrigin_.setY(within(sheetOrigin_.y() + delta.y(), ScrollMargin,
                                 viewport()->height() - ScrollMargin - sheet_->height()));
    PlaceSheet();
}

// The sheet passes its mouse events on to the control, which gets them here in the view's
// coordinates and takes them.
void TPrintPreview::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void TPrintPreview::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void TPrintPreview::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void TPrintPreview::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

bool TPrintPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sheet_) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            setFocus(Qt::MouseFocusReason);
            if (scrollsHorizontally_ || scrollsVertically_) {
                grabbing_ = true;
                sheet_->setCursor(paperView_.GrabCursor);
                grabPoint_ = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
            }
            break;
        case QEvent::MouseMove:
            if (grabbing_ && static_cast<QMouseEvent*>(event)->buttons().testFlag(Qt::LeftButton))
                DragSheet(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            break;
        case QEvent::MouseButtonRelease:
            if (grabbing_) {
                grabbing_ = false;
                sheet_->setCursor(paperView_.DragCursor);
            }
            break;
        default:
            break;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}
