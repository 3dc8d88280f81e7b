// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPixmap>

// The pictures of the frame buttons, painted in code pixel by pixel.

enum class TFrameGlyph { Minimize, Maximize, Restore, Close };

// Main window buttons: a 16 by 16 glyph on a transparent ground, grey 128 normally and nearly
// white (250; the restore glyph 248) under the pointer.
QPixmap StripButtonPicture(TFrameGlyph glyph, bool hover);

// Dialog-frame buttons: a 16 by 16 raised button with a dark glyph; under the pointer its
// face turns bright yellow-green.
QPixmap DialogButtonPicture(TFrameGlyph glyph, bool hover);

// The reminder popup's close button: a 9 by 9 X, black normally and white under the pointer.
QPixmap PopupClosePicture(bool hover);
