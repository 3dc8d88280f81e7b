// SPDX-License-Identifier: GPL-3.0-or-later

#include "options/Unit14.h"

#include "options/Autostart.h"
#include "store/settings/Settings.h"
#include "store/varUnit.h"
#include "uikit/Controls.h"
#include "uikit/FrameController.h"
#include "uikit/Reporting.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QShowEvent>

TForm14::TForm14(QWidget* parent) : QDialog(parent) {
    setObjectName("Form14");
    setWindowTitle("Options");
    setFixedSize(350, 273);
    Frame = new TFrameController(this, TFrameKind::Dialog);
    Frame->SetTitle("Options");
    Frame->SetBlackLineRow(183);
    UseWindowFont(this);

    CheckBox1 = new QCheckBox("Start with windows", this);
    CheckBox1->setGeometry(56, 75, 150, 17);
    CheckBox2 = new QCheckBox("Put complete tasks into bottom when sorting", this);
    CheckBox2->setGeometry(56, 107, 252, 17);
    BitBtn1 = new QPushButton("OK", this);
    BitBtn1->setGeometry(96, 207, 75, 25);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton("Cancel", this);
    BitBtn2->setGeometry(184, 207, 75, 25);
    ConnectReporting(BitBtn1, &QPushButton::clicked, this, &TForm14::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm14::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
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
