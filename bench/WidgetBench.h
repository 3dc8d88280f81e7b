// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the benchmarks that draw widgets share; WidgetBench.cpp is their entry, offscreen
// unless a display is asked for.

class QWidget;

// Runs the event loop until the window is on the screen, so that a repaint paints.
void WaitExposed(QWidget& widget);
