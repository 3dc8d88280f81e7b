// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What lies under a point of a borderless window, as the window answers the window system.
// These are pure functions of the point (x, y), in the window's own coordinates, and of the
// window's current width and height, so that every rule can be checked without a screen.

enum class THitZone {
    // Nothing special: for our borderless windows the same as Client.
    Default,
    // Content: clicks go to the controls (the frame buttons, for example).
    Client,
    // A press drags the window.
    Caption,
    // A press resizes the window from that edge or corner.
    Left,
    Right,
    Top,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
};

// The main window: resizable while restored; neither dragged nor resized while maximized.
THitZone MainWindowHitTest(int x, int y, int width, int height, bool maximized);

// The print preview: the main window's rules with its two buttons at the dialog places and a
// caption band down to row 29.
THitZone PreviewHitTest(int x, int y, int width, int height, bool maximized);

// Every other window with the dialog frame: dragged by its title bar, never resized.
THitZone DialogHitTest(int x, int y, int width);

// The reminder popup: dragged by its 13-row strip.
THitZone PopupHitTest(int x, int y, int width);
