// SPDX-License-Identifier: GPL-3.0-or-later

#include "preview/HandCursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int CursorSize = 32;
constexpr int HotSpot = 15;

// The hand's outline: a palm round the hot spot with four fingers and a thumb. Open, the
// fingers stand out above the palm; closed, they are folded onto it as knuckles.
QPainterPath HandPath(bool open) {
    QPainterPath hand;
    hand.setFillRule(Qt::WindingFill);
    hand.addRoundedRect(QRectF(8.5, 12.5, 15, 13), 4, 4);
    const qreal fingerTop = open ? 3.5 : 9.5;
    const qreal fingerLength = open ? 13 : 6;
    for (int finger = 0; finger < 4; ++finger) {
        const qreal offset = finger == 0 || finger == 3 ? 1.5 : 0;
        hand.addRoundedRect(QRectF(8.5 + finger * 3.75, fingerTop + offset, 3.5, fingerLength),
                            1.75, 1.75);
    }
    if (open)
        hand.addRoundedRect(QRectF(3.5, 13.5, 8, 3.5), 1.75, 1.75);
    else
        hand.addRoundedRect(QRectF(5.5, 14.5, 5, 3.5), 1.75, 1.75);
    hand.addRect(QRectF(10.5, 24.5, 11, 4));
    return hand.simplified();
}

QCursor MakeHandCursor(bool open) {
    QPixmap picture(CursorSize, CursorSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPath(HandPath(open));
    painter.end();
    return QCursor(picture, HotSpot, HotSpot);
}

} // namespace

const QCursor& OpenHandCursor() {
    static const QCursor cursor = MakeHandCursor(true);
    return cursor;
}

const QCursor& ClosedHandCursor() {
    static const QCursor cursor = MakeHandCursor(false);
    return cursor;
}
