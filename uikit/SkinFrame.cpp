// SPDX-License-Identifier: GPL-3.0-or-later

#include "uikit/SkinFrame.h"

#include <QPainter>

#include <algorithm>
#include <array>

namespace {

const QColor OutlineColour(105, 105, 105);
const QColor DarkGrey(102, 102, 102);

// Grey levels of the main strip, top to bottom; three numbers where a row is not pure grey.
struct TStripRow {
    int red;
    int green;
    int blue;
};
constexpr std::array<TStripRow, 25> MainStripRows{{
    {131, 131, 131}, {240, 240, 240}, {205, 205, 205}, {181, 181, 181}, {180, 180, 181},
    {179, 179, 179}, {178, 178, 179}, {178, 178, 178}, {176, 177, 176}, {175, 175, 175},
    {174, 174, 174}, {172, 172, 172}, {171, 171, 171}, {170, 169, 169}, {168, 168, 168},
    {166, 166, 166}, {165, 164, 165}, {164, 164, 164}, {162, 162, 162}, {160, 161, 160},
    {160, 160, 160}, {158, 158, 159}, {157, 157, 158}, {157, 157, 157}, {96, 96, 96},
}};

// The popup's strip is the main strip's first twelve rows closed by the dark bottom row.
constexpr int PopupStripBodyRows = 12;

void FillStripRow(QImage& strip, int row, const TStripRow& colour) {
    for (int x = 0; x < strip.width(); ++x)
        strip.setPixelColor(x, row, QColor(colour.red, colour.green, colour.blue));
}

QImage StripPicture(int bodyRows) {
    QImage strip(7, bodyRows + 1, QImage::Format_RGB32);
    for (int row = 0; row < bodyRows; ++row)
        FillStripRow(strip, row, MainStripRows[row]);
    FillStripRow(strip, bodyRows, MainStripRows.back());
    return strip;
}

// A horizontal or vertical line that colours `from` and every pixel up to `to`, leaving `to`
// itself out, as the classic line drawing of the strip outline does.
void DrawLineLeavingEnd(QPainter& painter, QPoint from, QPoint to, const QColor& colour) {
    if (from == to)
        return;
    const QPoint step(to.x() == from.x() ? 0 : (to.x() > from.x() ? 1 : -1),
                      to.y() == from.y() ? 0 : (to.y() > from.y() ? 1 : -1));
    const QPoint last = to - step;
    painter.fillRect(QRect(QPoint(std::min(from.x(), last.x()), std::min(from.y(), last.y())),
                           QPoint(std::max(from.x(), last.x()), std::max(from.y(), last.y()))),
                     colour);
}

// A horizontal line with both ends included.
void DrawRow(QPainter& painter, int y, int left, int right, const QColor& colour) {
    painter.fillRect(QRect(QPoint(left, y), QPoint(right, y)), colour);
}

// How many pixels the rounded corner cuts from each end of the row `distance` (0 to 3) rows
// away from the top or bottom visible row: the pixels kept are those whose centres lie within 4
// pixels of the centre of the corner circle's middle pixel (4, 4).
int CornerCut(int distance) {
    constexpr int radius = 4;
    const int dy = radius - distance;
    int cut = 0;
    while (cut < radius && (radius - cut) * (radius - cut) + dy * dy > radius * radius)
        ++cut;
    return cut;
}

} // namespace

QImage MainStripPicture() {
    return StripPicture(static_cast<int>(MainStripRows.size()) - 1);
}

QImage PopupStripPicture() {
    return StripPicture(PopupStripBodyRows);
}

void DrawStripFrame(QPainter& painter, QSize size, const QImage& strip) {
    const int w = size.width();
    const int h = size.height();
    for (int x = 0; x < w; x += strip.width())
        painter.drawImage(x, 0, strip);

    const QColor& c = OutlineColour;
    DrawLineLeavingEnd(painter, {0, 0}, {0, h}, c);
    DrawLineLeavingEnd(painter, {w - 2, 0}, {w - 2, h}, c);
    DrawLineLeavingEnd(painter, {0, h - 2}, {w, h - 2}, c);
    DrawLineLeavingEnd(painter, {1, 3}, {1, 1}, c);
    DrawLineLeavingEnd(painter, {3, 1}, {1, 1}, c);
    DrawLineLeavingEnd(painter, {w - 3, 3}, {w - 3, 1}, c);
    DrawLineLeavingEnd(painter, {w - 5, 1}, {w - 3, 1}, c);
    DrawLineLeavingEnd(painter, {1, h - 5}, {1, h - 3}, c);
    DrawLineLeavingEnd(painter, {3, h - 3}, {1, h - 3}, c);
    DrawLineLeavingEnd(painter, {w - 3, h - 5}, {w - 3, h - 3}, c);
    DrawLineLeavingEnd(painter, {w - 5, h - 3}, {w - 3, h - 3}, c);
}

void DrawFrameRect(QPainter& painter, QSize size, int inset, const QColor& colour) {
    const int left = inset;
    const int top = inset;
    const int right = size.width() - inset - 1;
    const int bottom = size.height() - inset - 1;
    DrawRow(painter, top, left, right, colour);
    DrawRow(painter, bottom, left, right, colour);
    painter.fillRect(QRect(QPoint(left, top), QPoint(left, bottom)), colour);
    painter.fillRect(QRect(QPoint(right, top), QPoint(right, bottom)), colour);
}

void DrawDialogFrame(QPainter& painter, QSize size, std::optional<int> blackLineRow) {
    const int w = size.width();
    const QColor white(255, 255, 255);
    const QColor light(227, 227, 227);
    const QColor middle(192, 192, 192);
    const QColor soft(178, 178, 178);
    const std::array<QColor, 11> insetColours{DarkGrey, white, light, light, middle,  DarkGrey,
                                              soft,     soft,  soft,  soft,  DarkGrey};
    for (int inset = 0; inset < static_cast<int>(insetColours.size()); ++inset)
        DrawFrameRect(painter, size, inset, insetColours[inset]);

    for (int i = 0; i < 20; ++i)
        DrawRow(painter, 11 + i, 11, w - 12, QColor(234 - i, 234 - i, 234 - i));
    DrawRow(painter, 31, 11, w - 12, DarkGrey);

    const QRect band(QPoint(12, 33), QPoint(w - 13, 38));
    painter.fillRect(band, DarkGrey);
    painter.fillRect(band.adjusted(1, 1, -1, -1), QColor(234, 234, 234));

    if (blackLineRow)
        DrawRow(painter, *blackLineRow, 51, 302, Qt::black);
}

QRegion StripWindowRegion(QSize size) {
    const int lastColumn = size.width() - 2;
    const int lastRow = size.height() - 2;
    QRegion region(QRect(QPoint(0, 0), QPoint(lastColumn, lastRow)));
    for (int distance = 0; distance < 4; ++distance) {
        const int cut = CornerCut(distance);
        for (const int y : {distance, lastRow - distance}) {
            region -= QRect(0, y, cut, 1);
            region -= QRect(lastColumn - cut + 1, y, cut, 1);
        }
    }
    return region;
}
