// SPDX-License-Identifier: GPL-3.0-or-later

#include "printing/ReportLayout.h"

#include "uikit/Controls.h"

#include <QPainter>
#include <algorithm>
#include <limits>

namespace {

constexpr const char* RowSample = "JiSuan BianZhunGao";
// The indent of a note under its task's name.
constexpr int NoteIndent = 10;

// The height of one line of text in a font on the canvas's device.
int LineHeight(const QFontMetrics& metrics, const QString& text) {
    return metrics.boundingRect(QRect(), Qt::TextSingleLine, text).height();
}

} // namespace

QFont ReportFont(int points, bool bold) {
    QFont font = StandInFont();
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

QFont TitleFont() {
    QFont font = ReportFont(16, true);
    font.setItalic(true);
    return font;
}

void MeasurePage(QPainter& canvas, const QRect& pageRect, QPoint tenMillimetres,
                 const TPrintJob& job, const QString& date, const QString& footer,
                 TReportLayout& layout) {
    QPaintDevice* device = canvas.device();
    const QFontMetrics title(TitleFont(), device);
    const QFontMetrics regular(ReportFont(12), device);

    const int side = static_cast<int>(2.5 * tenMillimetres.x());
    TReportRect body{pageRect.left() + side, pageRect.top() + tenMillimetres.y(),
                     pageRect.left() + pageRect.width() - side,
                     pageRect.top() + pageRect.height() - tenMillimetres.y()};
    layout.TitlePos = QPoint(body.Left, body.Top);
    body.Top += LineHeight(title, ReportTitle) + 2;

    const int dateWidth = regular.horizontalAdvance(date);
    layout.DatePos = QPoint(body.Right - dateWidth - 1, body.Top - LineHeight(regular, date) - 2);

    const int footerHeight = LineHeight(regular, footer);
    layout.FooterPos = QPoint(body.Left, body.Bottom - footerHeight);
    body.Bottom -= footerHeight + 2;
    layout.BodyRect = body;

    layout.ReportRowHeight = LineHeight(regular, RowSample) + 4;
    int columns = 0;
    for (bool shown : {job.ShowPriority, job.ShowCategory, job.ShowReminder})
        columns += shown ? NarrowColumnWidth : 0;
    columns += job.ShowDueDate ? DueDateColumnWidth : 0;
    layout.NameColumnWidth = body.Width() - columns;
}

TNoteMeasure::TNoteMeasure(QPainter& canvas, int nameColumnWidth)
    : metrics_(ReportFont(10), canvas.device()), width_(std::max(1, nameColumnWidth - NoteIndent)) {
}

int TNoteMeasure::Height(const std::string& note) const {
    const QRect room(0, 0, width_, std::numeric_limits<int>::max() / 2);
    return metrics_.boundingRect(room, NoteFlags, QString::fromStdString(note)).height();
}

std::vector<int> NoteRoom(const TPrintJob& job, const TNoteMeasure& notes) {
    std::vector<int> room(job.Tasks.size(), 0);
    if (!job.PrintNotes)
        return room;
    for (size_t i = 0; i < job.Tasks.size(); ++i)
        room[i] = notes.Height(job.Tasks[i].strNote) + 4;
    return room;
}
