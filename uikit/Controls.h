// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFont>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// The windows are laid out for Arial and MS Sans Serif. Liberation Sans has Arial's widths and
// stands in for both; where it is missing (Windows) Arial itself is used.
QFont StandInFont();
// The font of every window: 8 points on a 96 dpi screen, given in pixels so that the controls
// fit their places on every display.
QFont WindowFont();
void UseWindowFont(QWidget* window);

// A label that takes the size its text needs, its top left corner at (left, top).
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top);
// A button of the standard 75 by 25.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int left, int top);
