// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class QWidget;

// Wayland: no program places its windows, and a window comes forward only with an activation
// token.
bool PlacedByCompositor();

// Asks the window system to bring the window to the front with the activation token another
// program handed over (a launcher, a notification server). Wayland lets a window come
// forward only with such a token; without one, or elsewhere, it is the plain request.
void ActivateWithToken(QWidget* window, const QString& activationToken);
