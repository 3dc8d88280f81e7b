// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAccessible>
#include <QLabel>

// A picture control that tells when the mouse pointer enters or leaves it, so that a frame
// button can swap to its hover picture, and when it is clicked with the left button.
//
// Every one of them is something to press (a frame button, a menu label, a link), so
// assistive technologies are told it is a button (or the role set here) with a press action
// that does what a click does (uikit/Accessibility.h).
class TMyImage : public QLabel {
    Q_OBJECT

public:
    explicit TMyImage(QWidget* parent = nullptr);

    // What assistive technologies take the control for: a push button unless set otherwise.
    QAccessible::Role AccessibleRole() const { return accessibleRole_; }
    void SetAccessibleRole(QAccessible::Role role) { accessibleRole_ = role; }

    // Does what a click does, for a press that comes from somewhere else than the mouse.
    void Click();

signals:
    void OnMouseEnter(QObject* Sender);
    void OnMouseLeave(QObject* Sender);
    // The left button was pressed on the picture and released over it, or Click() was called.
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // A release counts as a click only after a left press that this control received itself.
    bool leftPressed_ = false;
    QAccessible::Role accessibleRole_ = QAccessible::PushButton;
};
