#include "app/myLabel.h"

#include <QMouseEvent>

TMyLabel::TMyLabel(QWidget* parent) : QLabel(parent) {}

void TMyLabel::MouseEnter() {
    emit OnMouseEnter(this);
}

void TMyLabel::MouseLeave() {
    emit OnMouseLeave(this);
}

void TMyLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    MouseEnter();
}

void TMyLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    MouseLeave();
}

void TMyLabel::mousePressEvent(QMouseEvent* event) {
    QLabel::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    // Taking the press keeps it from reaching the window beneath, which would drag it.
    event->accept();
    leftPressed_ = true;
}

void TMyLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const bool wasPressed = leftPressed_;
    leftPressed_ = false;
    if (wasPressed && rect().contains(event->position().toPoint()))
        emit clicked();
}
