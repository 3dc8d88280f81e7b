// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/MyImage.h"

#include <QMouseEvent>

TMyImage::TMyImage(QWidget* parent) : QLabel(parent) {}

void TMyImage::Click() {
    emit clicked();
}

void TMyImage::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    emit OnMouseEnter(this);
}

void TMyImage::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    emit OnMouseLeave(this);
}

void TMyImage::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    // Taking the press keeps it from reaching the window beneath, which would drag it.
    event->accept();
    leftPressed_ = true;
}

void TMyImage::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const bool wasPressed = leftPressed_;
    leftPressed_ = false;
    if (wasPressed && rect().contains(event->position().toPoint()))
        emit clicked();
}
