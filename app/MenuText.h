// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringList>

// Gives each menu caption a keyboard accelerator of its own: the first letter or digit not
// taken by an earlier caption. A caption's own "&" stays a plain "&".
QStringList WithAccelerators(const QStringList& captions);
