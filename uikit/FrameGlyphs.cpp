// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/FrameGlyphs.h"

#include <QImage>
#include <QPainter>

namespace {

// A painter that writes colours as they are, transparency included, without blending.
class TGlyphPainter : public QPainter {
public:
    explicit TGlyphPainter(QImage* image) : QPainter(image) {
        setCompositionMode(QPainter::CompositionMode_Source);
    }
};

QImage EmptyImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// A box outline whose top edge is two pixels thick.
void PaintBox(QPainter& painter, const QRect& box, const QColor& colour) {
    painter.fillRect(QRect(box.left(), box.top(), box.width(), 2), colour);
    painter.fillRect(QRect(box.left(), box.bottom(), box.width(), 1), colour);
    painter.fillRect(QRect(box.left(), box.top(), 1, box.height()), colour);
    painter.fillRect(QRect(box.right(), box.top(), 1, box.height()), colour);
}

// Two overlapping boxes: the back one up and to the right, hidden where the front one lies.
void PaintTwoBoxes(QPainter& painter, const QRect& back, const QRect& front, const QColor& colour) {
    painter.setClipRegion(QRegion(back) - QRegion(front));
    PaintBox(painter, back, colour);
    painter.setClipping(false);
    PaintBox(painter, front, colour);
}

// An X across the square `box`, its strokes `thickness` pixels wide.
void PaintCross(QPainter& painter, const QRect& box, int thickness, const QColor& colour) {
    const int steps = box.width() - thickness + 1;
    for (int i = 0; i < steps; ++i) {
        painter.fillRect(QRect(box.left() + i, box.top() + i, thickness, thickness), colour);
        painter.fillRect(
            QRect(box.right() - thickness + 1 - i, box.top() + i, thickness, thickness), colour);
    }
}

const QColor DialogGlyphColour(48, 48, 48);

// The raised dialog button without its glyph.
void PaintDialogButton(QPainter& painter, bool hover) {
    const QRect outer(0, 0, 16, 16);
    painter.fillRect(outer, QColor(74, 74, 74));
    for (const QPoint corner : {QPoint(0, 0), QPoint(15, 0), QPoint(0, 15), QPoint(15, 15)})
        painter.fillRect(QRect(corner, QSize(1, 1)), Qt::transparent);
    painter.fillRect(outer.adjusted(1, 1, -1, -1), QColor(250, 250, 250));
    const QRect face = outer.adjusted(2, 2, -2, -2);
    if (hover) {
        painter.fillRect(face, QColor(189, 255, 0));
        return;
    }
    // A soft vertical gradient, grey 231 at the top to 222 at the bottom.
    for (int row = 0; row < face.height(); ++row) {
        const int grey = 231 - row * 9 / (face.height() - 1);
        painter.fillRect(QRect(face.left(), face.top() + row, face.width(), 1),
                         QColor(grey, grey, grey));
    }
}

} // namespace

QPixmap StripButtonPicture(TFrameGlyph glyph, bool hover) {
    QImage image = EmptyImage(16);
    TGlyphPainter painter(&image);
    const int grey = !hover ? 128 : (glyph == TFrameGlyph::Restore ? 248 : 250);
    const QColor colour(grey, grey, grey);
    switch (glyph) {
    case TFrameGlyph::Minimize:
        painter.fillRect(QRect(3, 11, 10, 2), colour);
        break;
    case TFrameGlyph::Maximize:
        PaintBox(painter, QRect(3, 3, 10, 10), colour);
        break;
    case TFrameGlyph::Restore:
        PaintTwoBoxes(painter, QRect(6, 3, 7, 7), QRect(3, 6, 7, 7), colour);
        break;
    case TFrameGlyph::Close:
        PaintCross(painter, QRect(3, 3, 10, 10), 2, colour);
        break;
    }
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap DialogButtonPicture(TFrameGlyph glyph, bool hover) {
    QImage image = EmptyImage(16);
    TGlyphPainter painter(&image);
    PaintDialogButton(painter, hover);
    switch (glyph) {
    case TFrameGlyph::Minimize:
        painter.fillRect(QRect(4, 10, 8, 2), DialogGlyphColour);
        break;
    case TFrameGlyph::Maximize:
        PaintBox(painter, QRect(4, 4, 8, 8), DialogGlyphColour);
        break;
    case TFrameGlyph::Restore:
        PaintTwoBoxes(painter, QRect(6, 4, 6, 6), QRect(4, 6, 6, 6), DialogGlyphColour);
        break;
    case TFrameGlyph::Close:
        PaintCross(painter, QRect(4, 4, 8, 8), 1, DialogGlyphColour);
        break;
    }
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap PopupClosePicture(bool hover) {
    QImage image = EmptyImage(9);
    TGlyphPainter painter(&image);
    PaintCross(painter, QRect(0, 0, 9, 9), 2, hover ? Qt::white : Qt::black);
    painter.end();
    return QPixmap::fromImage(image);
}
