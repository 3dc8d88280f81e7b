// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "uikit/FrameController.h"

#include <QDialog>

// The skeleton every skinned dialog shares, written once: the frame of its kind with its title,
// the window font, and the two moments a window answers. A show that the program asked for runs
// FormShow (the window system showing the window again, after a desktop switch say, changes
// nothing), and every close, whatever closed the window, runs FormClose. Both run inside the
// error wrapper: an error stops the handler and shows its box, and the window goes on.
class TSkinnedDialog : public QDialog {
    Q_OBJECT

public:
    // Every close ends here.
    void done(int result) override;

    TFrameController* Frame = nullptr;

protected:
    // The window's object name, its frame and its title (the reminder popup's frame shows none;
    // its title only names the window to the window system).
    TSkinnedDialog(const char* name, TFrameKind kind, const QString& title, QWidget* parent);

    virtual void FormShow() {}
    virtual void FormClose() {}

    void showEvent(QShowEvent* event) override;
};
