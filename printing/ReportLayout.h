// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "printing/PrintJob.h"

#include <QFont>
#include <QFontMetrics>
#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

class QPainter;

// The task report's page geometry and fonts. Every length is in the page canvas's units.

// A rectangle as the report measures it: right and bottom are one past its last unit.
struct TReportRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

// The layout state the preview window keeps between measuring the report and drawing its
// pages.
struct TReportLayout {
    // The table: between the side margins, from the header rule line to above the footer.
    TReportRect BodyRect;
    QPoint TitlePos;
    QPoint DatePos;
    // Its y is also the top of the page number.
    QPoint FooterPos;
    int ReportRowHeight = 0;
    int NameColumnWidth = 0;
    // Per page, the index in the job's tasks of its first and its last task.
    std::vector<int> PageFirstTask{0};
    std::vector<int> PageLastTask{-1};
    int PageCount = 1;
};

// The widths of the optional columns, each with its separator line.
inline constexpr int NarrowColumnWidth = 41;
inline constexpr int DueDateColumnWidth = 81;

// The report's title, drawn at the top left of every page.
inline constexpr const char* ReportTitle = "Tolvek Organizer";

// Arial at a size in points on paper.
QFont ReportFont(int points, bool bold = false);
QFont TitleFont();

// The page geometry on a canvas mapped to the paper: margins of 25 mm at the sides and
// 10 mm at top and bottom (tenMillimetres in the canvas's units), the title, the date
// right-aligned above the rule line, the footer, the row height and the name column's width.
void MeasurePage(QPainter& canvas, const QRect& pageRect, QPoint tenMillimetres,
                 const TPrintJob& job, const QString& date, const QString& footer,
                 TReportLayout& layout);

// Note text is word-wrapped, left-aligned, from the top.
inline constexpr int NoteFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

// Measures notes word-wrapped in the note font in the name column less its indent.
class TNoteMeasure {
public:
    TNoteMeasure(QPainter& canvas, int nameColumnWidth);
    int Height(const std::string& note) const;
    // The note's rectangle width; explicit line breaks start new lines.
    int Width() const { return width_; }

private:
    QFontMetrics metrics_;
    int width_;
};

// The room below each task's row while paginating: its note's height plus 4 when notes are
// printed, for a task without a note too, else 0.
std::vector<int> NoteRoom(const TPrintJob& job, const TNoteMeasure& notes);
