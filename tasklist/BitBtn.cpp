// SPDX-License-Identifier: GPL-3.0-or-later

#include "tasklist/BitBtn.h"

#include <QStyleOptionButton>
#include <QStylePainter>

TBitBtn::TBitBtn(const QPixmap& glyph, const QString& caption, int spacing, QWidget* parent)
    : QPushButton(caption, parent), glyph_(glyph), spacing_(spacing) {}

void TBitBtn::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);

    const int textWidth = fontMetrics().horizontalAdvance(text());
    QPoint origin((width() - glyph_.width() - spacing_ - textWidth) / 2, 0);
    // A pressed button shows its face one pixel down and to the right.
    if (isDown())
        origin += QPoint(1, 1);
    painter.drawPixmap(origin.x(), origin.y() + (height() - glyph_.height()) / 2, glyph_);
    painter.drawItemText(
        QRect(origin.x() + glyph_.width() + spacing_, origin.y(), textWidth, height()),
        Qt::AlignLeft | Qt::AlignVCenter, palette(), isEnabled(), text(), QPalette::ButtonText);
}
