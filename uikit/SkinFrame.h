// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QImage>
#include <QRegion>
#include <QSize>

#include <optional>

class QPainter;

// The two frame styles our borderless windows draw on their own surface. Every function
// paints whole pixels with fillRect, so the colours land exactly on the pixels named in the
// comments whatever the painter's antialiasing or pen settings.

// The title strip picture of the strip frame: 7 pixels wide, one colour per row; 25 rows on
// the main window and 13 on the reminder popup.
QImage MainStripPicture();
QImage PopupStripPicture();

// The strip frame: the strip repeated along the top edge from x = 0 in steps of 7, then the
// dark outline on the left column, column W - 2, row H - 2 and two pixels in each corner.
void DrawStripFrame(QPainter& painter, QSize size, const QImage& strip);

// The outline of the rectangle from (inset, inset) to (W - inset - 1, H - inset - 1), both
// corners included.
void DrawFrameRect(QPainter& painter, QSize size, int inset, const QColor& colour);

// The dialog frame: eleven nested rectangles, the grey title bar on rows 11 to 30, the line
// on row 31, the light band on rows 33 to 38 and, when given, a black line from x = 51 to
// x = 302 on that row.
void DrawDialogFrame(QPainter& painter, QSize size, std::optional<int> blackLineRow);

// The rounded outline of a strip window. Like the classic rounded-rectangle region for
// (0, 0)-(W, H) with a 9 by 9 corner ellipse it leaves out the last column and row, so
// column W - 2 and row H - 2 are the outermost visible pixels. Each corner keeps the pixels
// of a 9-pixel circle, which makes the visible edge run exactly along the corner pixels that
// DrawStripFrame colours.
QRegion StripWindowRegion(QSize size);
