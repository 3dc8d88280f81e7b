// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLabel>

// A picture control that tells when the mouse pointer enters or leaves it, so that a frame
// button can swap to its hover picture, and when it is clicked with the left button.
class TMyImage : public QLabel {
    Q_OBJECT

public:
    explicit TMyImage(QWidget* parent = nullptr);

signals:
    void OnMouseEnter(QObject* Sender);
    void OnMouseLeave(QObject* Sender);
    // The left button was pressed on the picture and released over it.
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // A release counts as a click only after a left press that this control received itself.
    bool leftPressed_ = false;
};
