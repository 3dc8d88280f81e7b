// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/varUnit.h"

#include <QColor>
#include <QRect>
#include <QSize>

class QPainter;

// How the task list window looks, kept apart from what it does. Rectangles follow the
// list's own convention: right and bottom are one past the last pixel (L, T, R, B).

// The width of the strip in front of the "Tasks" cell that holds the check box, and the
// margin in front of every other cell.
constexpr int CheckAreaWidth = 22;
constexpr int CellMargin = 4;

// Draws one cell of a task row over the background the list already painted: the texts and
// pictures of the column and the cell's grid lines in gridColour. content is the part of
// the cell right of the check box in column 0 and the cell less its margin elsewhere.
// column is the column's identity (0 "Tasks" to 4 "Due Date"), not its place on screen.
void VDTDrawNode(QPainter& painter, const TMyRec2& task, int column, const QRect& content,
                 const QColor& gridColour);

// The frame of the task list window in a window of that size: the three borders with
// rounded corners, the coloured band at the top and the white line above the buttons.
void DrawTaskListFrame(QPainter& painter, QSize size);
