// SPDX-License-Identifier: GPL-3.0-or-later

#include "options/Unit14.h"

#include "options/Autostart.h"
#include "store/settings/Settings.h"
#include "store/varUnit.h"
#include "uikit/Controls.h"
#include "uikit/Reporting.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>

TForm14::TForm14(QWidget* parent)
    : TSkinnedDialog("Form14", TFrameKind::Dialog, "Options", parent) {
    setFixedSize(350, 273);
    Frame->SetBlackLineRow(183);

    CheckBox1 = new QCheckBox("Start with windows", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setGeometry(56, 75, 150, 17);
    CheckBox2 = new QCheckBox("Put complete tasks into bottom when sorting", this);
    CheckBox2->setObjectName("CheckBox2");
    CheckBox2->setGeometry(56, 107, 252, 17);
    BitBtn1 = MakeButton(this, "BitBtn1", "OK", 96, 207);
    BitBtn1->setDefault(true);
    BitBtn2 = MakeButton(this, "BitBtn2", "Cancel", 184, 207);
    ConnectReporting(BitBtn1, &QPushButton::clicked, this, &TForm14::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm14::FormShow() {
    CheckBox1->setChecked(StartWithWindows);
    CheckBox2->setChecked(DoneBottom == 1);
    BitBtn1->setFocus();
}

void TForm14::BitBtn1Click() {
    StartWithWindows = CheckBox1->isChecked();
    DoneBottom = CheckBox2->isChecked() ? 1 : 0;
    // A settings file that cannot be written stops here with its error, the window open.
    WriteSettings(SettingsFilePath());
    if (StartWithWindows)
        AddAutostartEntry(QCoreApplication::applicationFilePath());
    else
        RemoveAutostartEntry();
    accept();
}
