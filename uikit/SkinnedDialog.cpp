// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/SkinnedDialog.h"

#include "uikit/Controls.h"
#include "uikit/Reporting.h"

#include <QShowEvent>

TSkinnedDialog::TSkinnedDialog(const char* name, TFrameKind kind, const QString& title,
                               QWidget* parent)
    : QDialog(parent) {
    setObjectName(name);
    setWindowTitle(title);
    UseWindowFont(this);
    Frame = new TFrameController(this, kind);
    if (kind != TFrameKind::Popup)
        Frame->SetTitle(title);
}

void TSkinnedDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        RunReportingErrors(this, [this] { FormShow(); });
}

void TSkinnedDialog::done(int result) {
    const bool wasShown = isVisible();
    QDialog::done(result);
    if (wasShown)
        RunReportingErrors(this, [this] { FormClose(); });
}
