// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPixmap>
#include <QPushButton>

// A push button with a picture left of its caption, the two centred together with a fixed
// number of pixels between them, as the task list's buttons are designed.
class TBitBtn : public QPushButton {
    Q_OBJECT

public:
    TBitBtn(const QPixmap& glyph, const QString& caption, int spacing, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap glyph_;
    int spacing_;
};
