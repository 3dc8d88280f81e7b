// SPDX-License-Identifier: GPL-3.0-or-later

#include "preview/PaperPreview.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

namespace {

// Beyond this a sheet's bitmap is refused even where memory could be had: a view is no use
// if drawing it takes longer than the user will wait.
constexpr qint64 MaxBitmapPixels = qint64(1) << 28;

constexpr int DefaultPaperWidth = 105;
constexpr int DefaultPaperHeight = 148;

} // namespace

TPaperPreview::TPaperPreview(QWidget* parent) : QWidget(parent) {
    SetSheetSize(QSize(DefaultPaperWidth + 2 * borderSize_ + shadowSize_,
                       DefaultPaperHeight + 2 * borderSize_ + shadowSize_));
}

void TPaperPreview::InvalidateAll() {
    frameValid_ = false;
    pageValid_ = false;
    update();
}

void TPaperPreview::InvalidatePage() {
    pageValid_ = false;
    update();
}

void TPaperPreview::SetPaperColor(const QColor& color) {
    paperColor_ = color;
    InvalidatePage();
}

void TPaperPreview::SetBorderColor(const QColor& color) {
    borderColor_ = color;
    InvalidateAll();
}

void TPaperPreview::SetBorderSize(int size) {
    borderSize_ = std::max(0, size);
    InvalidateAll();
}

void TPaperPreview::SetShadowColor(const QColor& color) {
    shadowColor_ = color;
    InvalidateAll();
}

void TPaperPreview::SetShadowSize(int size) {
    shadowSize_ = std::max(0, size);
    InvalidateAll();
}

void TPaperPreview::SetPagePainter(std::function<void(QPainter&, const QRect&)> painter) {
    pagePainter_ = std::move(painter);
    InvalidatePage();
}

QRect TPaperPreview::PaperRect() const {
    return QRect(borderSize_, borderSize_, PaperWidth(), PaperHeight());
}

bool TPaperPreview::SetSheetSize(const QSize& size) {
    if (size != bitmap_.size() || bitmap_.isNull()) {
        bitmap_ = QImage();
        if (!size.isEmpty() && qint64(size.width()) * size.height() <= MaxBitmapPixels)
            bitmap_ = QImage(size, QImage::Format_RGB32);
        InvalidateAll();
    }
    resize(size);
    // Without a bitmap nothing is painted, and what lies under the sheet shows through.
    setAttribute(Qt::WA_OpaquePaintEvent, HasBitmap());
    return HasBitmap();
}

QColor TPaperPreview::GroundColor() const {
    const QWidget* ground = parentWidget() ? parentWidget() : this;
    return ground->palette().color(ground->backgroundRole());
}

void TPaperPreview::PaintFrame(QPainter& painter) {
    const int w = width();
    const int h = height();
    const int s = shadowSize_;
    if (borderSize_ > 0) {
        // The border lies inside the rectangle that the shadow does not take.
        const QRect frame(0, 0, w - s, h - s);
        const int b = borderSize_;
        painter.fillRect(QRect(frame.left(), frame.top(), frame.width(), b), borderColor_);
        painter.fillRect(QRect(frame.left(), frame.bottom() - b + 1, frame.width(), b),
                         borderColor_);
        painter.fillRect(QRect(frame.left(), frame.top(), b, frame.height()), borderColor_);
        painter.fillRect(QRect(frame.right() - b + 1, frame.top(), b, frame.height()),
                         borderColor_);
    }
    if (s > 0) {
        painter.fillRect(QRect(QPoint(w - s, s), QPoint(w - 1, h - 1)), shadowColor_);
        painter.fillRect(QRect(QPoint(s, h - s), QPoint(w - 1, h - 1)), shadowColor_);
        // The corners the shadow leaves out show the ground around the sheet.
        painter.fillRect(QRect(QPoint(w - s, 0), QPoint(w - 1, s - 1)), GroundColor());
        painter.fillRect(QRect(QPoint(0, h - s), QPoint(s - 1, h - 1)), GroundColor());
    }
}

void TPaperPreview::paintEvent(QPaintEvent*) {
    if (bitmap_.isNull())
        return;
    if (!frameValid_ || !pageValid_) {
        QPainter painter(&bitmap_);
        if (!frameValid_) {
            PaintFrame(painter);
            frameValid_ = true;
        }
        if (!pageValid_) {
            const QRect paper = PaperRect();
            painter.setClipRect(paper);
            painter.fillRect(paper, paperColor_);
            if (pagePainter_ && !paper.isEmpty()) {
                // Lines stay crisp and at least a pixel wide, as on paper; text is smoothed.
                painter.setRenderHints(QPainter::TextAntialiasing |
                                       QPainter::SmoothPixmapTransform);
                pagePainter_(painter, paper);
                ++pagePlays_;
            }
            pageValid_ = true;
        }
    }
    QPainter screen(this);
    screen.drawImage(0, 0, bitmap_);
}

void TPaperPreview::contextMenuEvent(QContextMenuEvent* event) {
    if (popupMenu_)
        popupMenu_->popup(event->globalPos());
    else
        QWidget::contextMenuEvent(event);
}

void TPaperPreview::changeEvent(QEvent* event) {
    // The shadow's corners show the ground's colour.
    if (event->type() == QEvent::PaletteChange)
        InvalidateAll();
    QWidget::changeEvent(event);
}
