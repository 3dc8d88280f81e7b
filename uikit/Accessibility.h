// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What assistive technologies (a screen reader through AT-SPI) learn of the controls that
// draw themselves: a picture or text control that is pressed (TMyImage, TMyLabel) is a button
// with a name and a press action that does what a click does, a drop-down list given a name
// is called by it, and a window made of a plain widget is a window. Installed once by the
// application object, before the first window; a second call changes nothing.
void InstallAccessibleInterfaces();
