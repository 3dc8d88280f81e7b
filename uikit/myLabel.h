// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "uikit/MyImage.h"

// A text label that tells when the mouse pointer enters or leaves it, for text that lights up
// under the pointer (the menu labels and links), and when it is clicked. Pictures and texts
// share one label control here, so it is the picture control with text in it.
class TMyLabel : public TMyImage {
    Q_OBJECT

public:
    using TMyImage::TMyImage;
};
