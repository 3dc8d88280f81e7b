// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QGroupBox>

// A group box whose caption sits on the frame's top line, half a text line down, with the
// caption's spaces keeping the line off the text. A screen reader says the caption without
// those spaces.
class TGroupBox : public QGroupBox {
    Q_OBJECT

public:
    explicit TGroupBox(const QString& title, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
