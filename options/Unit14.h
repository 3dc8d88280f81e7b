// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "uikit/SkinnedDialog.h"

class QCheckBox;
class QPushButton;

// The options window: start with the session, and done tasks at the bottom of the list.
// "OK" changes the settings, writes them to the settings file and adds or removes the
// autostart entry; "Cancel", Esc and the close button change nothing.
class TForm14 : public TSkinnedDialog {
    Q_OBJECT

public:
    explicit TForm14(QWidget* parent = nullptr);

    void BitBtn1Click();

private:
    void FormShow() override;

    // The window's controls are its own; each has its designed name as its object name.
    QCheckBox* CheckBox1 = nullptr; // "Start with windows"
    QCheckBox* CheckBox2 = nullptr; // "Put complete tasks into bottom when sorting"
    QPushButton* BitBtn1 = nullptr; // "OK"
    QPushButton* BitBtn2 = nullptr; // "Cancel"
};
