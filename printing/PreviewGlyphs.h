// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPixmap>

// The pictures of the preview window's tool bars, 16 by 16 on a transparent ground.

enum class TPreviewGlyph {
    ZoomIn,     // a magnifier with a plus sign
    ZoomOut,    // a magnifier with a minus sign
    WholePage,  // a sheet with its lines, whole
    ActualSize, // "1:1"
    First,      // a bar and an arrow to the left
    Previous,   // an arrow to the left
    Next,       // an arrow to the right
    Last,       // an arrow to the right and a bar
};

QPixmap PreviewPicture(TPreviewGlyph glyph);
