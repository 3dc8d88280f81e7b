// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/Activation.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

bool PlacedByCompositor() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void ActivateWithToken(QWidget* window, const QString& activationToken) {
    // Qt's Wayland shell hands the token in the environment to the compositor as the window
    // asks to be activated, and uses it once; a compositor without activation leaves it, and
    // it must not be handed on to programs started later.
    if (!activationToken.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    if (QWindow* handle = window->windowHandle())
        handle->requestActivate();
    qunsetenv("XDG_ACTIVATION_TOKEN");
}
