// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/GroupBox.h"

#include <QPainter>

TGroupBox::TGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
    setAccessibleName(title.trimmed());
}

void TGroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(208, 208, 191));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, metrics.height() / 2 + 0.5, -0.5, -0.5), 3,
                            3);
    const QRect caption(8, 0, metrics.horizontalAdvance(title()), metrics.height());
    painter.fillRect(caption, palette().window());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, title());
}
