// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QWidget>

class QLabel;

// A balloon holds at most 63 characters of title and 255 of text, as the tray's balloons do:
// the start of a longer one, never half a character.
inline constexpr int BalloonTitleLength = 63;
inline constexpr int BalloonTextLength = 255;
QString BalloonPart(const QString& text, int length);

// A reminder balloon of our own, for desktops without a notification area or without
// balloons on it: a small window at the bottom right of the work area (on Wayland, where the
// compositor puts it), above the others, with the task's name as title and its note as text.
// A click on it is the balloon's click.
class TBalloonWindow : public QWidget {
    Q_OBJECT

public:
    explicit TBalloonWindow(QWidget* parent = nullptr);

    void ShowBalloon(const QString& title, const QString& text);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QLabel* title_;
    QLabel* text_;
};
