// SPDX-License-Identifier: GPL-3.0-or-later

#include "printing/PreviewGlyphs.h"

#include <QPainter>
#include <QPolygonF>

namespace {

const QColor Ink(40, 40, 40);
const QColor Arrow(32, 96, 168);

void Magnifier(QPainter& painter, bool plus) {
    painter.setPen(QPen(Ink, 1.4));
    painter.setBrush(QColor(232, 240, 250));
    painter.drawEllipse(QRectF(1.5, 1.5, 9.5, 9.5));
    painter.setPen(QPen(Ink, 2.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10.2, 10.2), QPointF(14.2, 14.2));
    painter.setPen(QPen(Ink, 1.4));
    painter.drawLine(QPointF(3.8, 6.25), QPointF(8.7, 6.25));
    if (plus)
        painter.drawLine(QPointF(6.25, 3.8), QPointF(6.25, 8.7));
}

void Sheet(QPainter& painter) {
    painter.setPen(QPen(Ink, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(3.5, 1.5, 9, 13));
    painter.setPen(QPen(QColor(120, 120, 120), 1));
    for (double y : {4.5, 6.5, 8.5, 10.5})
        painter.drawLine(QPointF(5.5, y), QPointF(10.5, y));
}

void ActualSize(QPainter& painter) {
    painter.setPen(QPen(Ink, 1.6));
    painter.drawLine(QPointF(2.5, 4), QPointF(2.5, 12));
    painter.drawLine(QPointF(13.5, 4), QPointF(13.5, 12));
    painter.drawLine(QPointF(1.5, 5), QPointF(2.5, 4));
    painter.drawLine(QPointF(12.5, 5), QPointF(13.5, 4));
    painter.setBrush(Ink);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(7, 5.5, 2, 2));
    painter.drawEllipse(QRectF(7, 9.5, 2, 2));
}

// An arrow pointing left or right, with a bar at its tip when it goes to the end.
void PageArrow(QPainter& painter, bool right, bool bar) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(Arrow);
    const double tip = right ? 12 : 4;
    const double back = right ? 5 : 11;
    painter.drawPolygon(QPolygonF({QPointF(tip, 8), QPointF(back, 2.5), QPointF(back, 13.5)}));
    if (bar)
        painter.drawRect(QRectF(right ? 12.5 : 1.5, 2.5, 2, 11));
}

} // namespace

QPixmap PreviewPicture(TPreviewGlyph glyph) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case TPreviewGlyph::ZoomIn:
        Magnifier(painter, true);
        break;
    case TPreviewGlyph::ZoomOut:
        Magnifier(painter, false);
        break;
    case TPreviewGlyph::WholePage:
        Sheet(painter);
        break;
    case TPreviewGlyph::ActualSize:
        ActualSize(painter);
        break;
    case TPreviewGlyph::First:
        PageArrow(painter, false, true);
        break;
    case TPreviewGlyph::Previous:
        PageArrow(painter, false, false);
        break;
    case TPreviewGlyph::Next:
        PageArrow(painter, true, false);
        break;
    case TPreviewGlyph::Last:
        PageArrow(painter, true, true);
        break;
    }
    return picture;
}
