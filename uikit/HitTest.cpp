// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/HitTest.h"

namespace {

// The resize zones shared by the main window and the print preview, then their caption band.
// The zones are tried in this order, so a corner wins over the edges that meet in it.
THitZone ResizableHitTest(int x, int y, int width, int height, int captionRows) {
    if (x < 5 && y < 5)
        return THitZone::TopLeft;
    if (x > width - 7 && y < 5)
        return THitZone::TopRight;
    if (x < 5 && y > height - 7)
        return THitZone::BottomLeft;
    if (x > width - 10 && y > height - 10)
        return THitZone::BottomRight;
    if (x < 4)
        return THitZone::Left;
    if (x > width - 6)
        return THitZone::Right;
    if (y < 4)
        return THitZone::Top;
    if (y > height - 6)
        return THitZone::Bottom;
    if (y < captionRows)
        return THitZone::Caption;
    return THitZone::Default;
}

} // namespace

THitZone MainWindowHitTest(int x, int y, int width, int height, bool maximized) {
    if (maximized)
        return THitZone::Default;
    // The three buttons come before the right edge, so they stay clickable at the border.
    if (y >= 5 && y <= 21 && x >= width - 49)
        return THitZone::Client;
    return ResizableHitTest(x, y, width, height, 24);
}

THitZone PreviewHitTest(int x, int y, int width, int height, bool maximized) {
    if (maximized)
        return THitZone::Default;
    if (y >= 12 && y <= 28 && x >= width - 46 && x <= width - 12)
        return THitZone::Client;
    return ResizableHitTest(x, y, width, height, 30);
}

THitZone DialogHitTest(int x, int y, int width) {
    if (y >= 12 && y <= 28 && x >= width - 28)
        return THitZone::Client;
    if (y < 30)
        return THitZone::Caption;
    return THitZone::Default;
}

THitZone PopupHitTest(int x, int y, int width) {
    if (y < 13 && x >= width - 16)
        return THitZone::Client;
    if (y < 13)
        return THitZone::Caption;
    return THitZone::Default;
}
