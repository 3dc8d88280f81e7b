// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/Controls.h"

#include <QLabel>
#include <QPushButton>

QFont StandInFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    return font;
}

QFont WindowFont() {
    QFont font = StandInFont();
    font.setPixelSize(11);
    return font;
}

void UseWindowFont(QWidget* window) {
    window->setFont(WindowFont());
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->adjustSize();
    label->move(left, top);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(left, top, 75, 25);
    return button;
}
