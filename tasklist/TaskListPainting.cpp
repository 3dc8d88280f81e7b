// SPDX-License-Identifier: GPL-3.0-or-later

#include "tasklist/TaskListPainting.h"

#include "resources/Pictures.h"
#include "store/dates/dateUnit.h"
#include "uikit/Controls.h"

#include <QFontMetrics>
#include <QPainter>

#include <array>

namespace {

const QColor DoneText(95, 95, 95);

// Every line is filled pixel by pixel, so it lands on exactly the pixels named whatever the
// painter's pen or antialiasing.
void Line(QPainter& painter, QPoint from, QPoint to, const QColor& colour) {
    painter.fillRect(QRect(from, to), colour);
}

QFont CellFont(const TMyRec2& task) {
    QFont font = StandInFont();
    font.setPointSize(10);
    font.setStrikeOut(task.intDone == 1);
    return font;
}

QString DueDateText(double dateDue) {
    const TCalendarDate date = DecodeDate(dateDue);
    return QString::asprintf("%04d-%02d-%02d", date.year, date.month, date.day);
}

// Text with its left edge at x and its top at y.
void TextAt(QPainter& painter, int x, int y, const QString& text) {
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

} // namespace

void VDTDrawNode(QPainter& painter, const TMyRec2& task, int column, const QRect& content,
                 const QColor& gridColour) {
    const int L = content.left();
    const int T = content.top();
    const int R = content.left() + content.width();
    const int B = content.top() + content.height();
    painter.save();
    painter.setPen(task.intDone == 1 ? DoneText : QColor(Qt::black));
    switch (column) {
    case 0: {
        QFont font = CellFont(task);
        font.setBold(task.intPriority == 0);
        painter.setFont(font);
        const QString name = painter.fontMetrics().elidedText(QString::fromStdString(task.strName),
                                                              Qt::ElideRight, R - (L + 1));
        TextAt(painter, L + 1, T + 2, name);
        break;
    }
    case 1:
        if (task.intPriority == 0)
            painter.drawPixmap(L + 6, T + 2, HighPriorityPicture());
        break;
    case 2: {
        const QPixmap icon = CategoryIcon(task.intImg);
        if (!icon.isNull())
            painter.drawPixmap(L + 6, T + 2, icon);
        break;
    }
    case 3:
        if (task.intReminder > 0)
            painter.drawPixmap(L + 6, T + 2, ReminderPicture());
        break;
    case 4: {
        QFont font = CellFont(task);
        font.setItalic(true);
        painter.setFont(font);
        if (task.intDue > 0)
            TextAt(painter, L + 8, T + 2, DueDateText(task.dateDue));
        else
            TextAt(painter, L + 23, T + 2, QStringLiteral("none"));
        break;
    }
    default:
        break;
    }
    painter.restore();

    // The bottom line of "Tasks" also runs under the check box; "Due Date" has no right line.
    Line(painter, QPoint(column == 0 ? L - CheckAreaWidth : L - CellMargin, B - 1),
         QPoint(R - 1, B - 1), gridColour);
    if (column != 4)
        Line(painter, QPoint(R - 2, T), QPoint(R - 2, B - 1), gridColour);
}

namespace {

const QColor Outer(185, 185, 185);
const QColor Middle(145, 145, 145);
const QColor Inner(89, 89, 89);
// The main window's colour, which shows round the corners.
const QColor CornerGround(200, 200, 200);

// The top left corner: o corner ground, 1 outer, 2 middle, 3 inner, b band (drawn by the
// band rows at the top; the bottom corners leave it alone).
constexpr std::array<const char*, 9> Corner = {
    "oooooooo1", "oooooo112", "ooooo1223", "oooo1233b", "ooo123bbb",
    "oo123bbbb", "o123bbbbb", "o123bbbbb", "123bbbbbb",
};

struct TBandRow {
    int row;
    int first;
    QColor colour;
};

const std::array<TBandRow, 6> Band = {{
    {3, 8, QColor(231, 235, 241)},
    {4, 6, QColor(181, 193, 214)},
    {5, 5, QColor(185, 197, 216)},
    {6, 4, QColor(190, 201, 219)},
    {7, 4, QColor(195, 205, 222)},
    {8, 3, QColor(221, 226, 236)},
}};

} // namespace

void DrawTaskListFrame(QPainter& painter, QSize size) {
    const int W = size.width();
    const int H = size.height();

    const std::array<QColor, 3> borders = {Outer, Middle, Inner};
    for (int inset = 0; inset < 3; ++inset) {
        const QColor& colour = borders[static_cast<size_t>(inset)];
        Line(painter, QPoint(inset, inset), QPoint(W - 1 - inset, inset), colour);
        Line(painter, QPoint(inset, H - 1 - inset), QPoint(W - 1 - inset, H - 1 - inset), colour);
        Line(painter, QPoint(inset, inset), QPoint(inset, H - 1 - inset), colour);
        Line(painter, QPoint(W - 1 - inset, inset), QPoint(W - 1 - inset, H - 1 - inset), colour);
    }

    for (int row = 0; row < 9; ++row)
        for (int column = 0; column < 9; ++column) {
            const char cell = Corner[static_cast<size_t>(row)][column];
            if (cell == 'b')
                continue;
            const QColor& colour =
                cell == 'o' ? CornerGround : borders[static_cast<size_t>(cell - '1')];
            for (const QPoint point :
                 {QPoint(column, row), QPoint(W - 1 - column, row), QPoint(column, H - 1 - row),
                  QPoint(W - 1 - column, H - 1 - row)})
                painter.fillRect(QRect(point, QSize(1, 1)), colour);
        }

    for (const TBandRow& band : Band)
        Line(painter, QPoint(band.first, band.row), QPoint(W - 1 - band.first, band.row),
             band.colour);

    Line(painter, QPoint(3, H - 63), QPoint(W - 4, H - 63), Qt::white);
}
