// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "uikit/SkinnedDialog.h"

class QLabel;
class QPushButton;
class TMyLabel;

// The about window: the program's name, its version and a link to its home page.
class TForm12 : public TSkinnedDialog {
    Q_OBJECT

public:
    explicit TForm12(QWidget* parent = nullptr);

    void LinkClick();

private:
    void FormShow() override;

    // The window's controls are its own; each has its designed name as its object name.
    QLabel* Image1 = nullptr;   // the banner
    QLabel* Label2 = nullptr;   // the version
    QLabel* Label3 = nullptr;   // the notice
    TMyLabel* Label4 = nullptr; // the home page link
    QPushButton* BitBtn1 = nullptr;
};
