// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCursor>

// The sheet's drag cursors: an open hand over a sheet that can be dragged, a closed hand
// while it is dragged. Both are 32 by 32 with the hot spot at (15, 15), the palm's middle.
const QCursor& OpenHandCursor();
const QCursor& ClosedHandCursor();
