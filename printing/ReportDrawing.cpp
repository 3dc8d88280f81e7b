// SPDX-License-Identifier: GPL-3.0-or-later

#include "printing/ReportDrawing.h"

#include "preview/Preview.h"
#include "printing/ReportPages.h"
#include "resources/Pictures.h"
#include "store/dates/DateText.h"
#include "store/funUnit.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <vector>

namespace {

const QColor HeadingFill(205, 205, 205);
const QColor DoneText(95, 95, 95);

// The page keeps each picture as an image in straight alpha; converted here once.
QImage PagePicture(const QPixmap& picture) {
    return picture.toImage().convertToFormat(QImage::Format_ARGB32);
}

// A rectangle from its left, top, right and bottom, the last two one past it.
QRect Ltrb(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

// Lines are one unit wide and land on exactly the units named, right and bottom left out.
void HorizontalLine(QPainter& canvas, int left, int right, int y) {
    canvas.fillRect(Ltrb(left, y, right, y + 1), Qt::black);
}

void VerticalLine(QPainter& canvas, int x, int top, int bottom) {
    canvas.fillRect(Ltrb(x, top, x + 1, bottom), Qt::black);
}

// One line of text in a rectangle, cut with an ellipsis when it is too long.
void TextLine(QPainter& canvas, const QRect& rect, int alignment, const QString& text) {
    canvas.drawText(rect, alignment | Qt::TextSingleLine,
                    canvas.fontMetrics().elidedText(text, Qt::ElideRight, rect.width()));
}

// Text with its top left corner at a point.
void TextAt(QPainter& canvas, QPoint topLeft, const QString& text) {
    canvas.drawText(QPoint(topLeft.x(), topLeft.y() + canvas.fontMetrics().ascent()), text);
}

enum class TColumnKind { Priority, Category, Reminder, DueDate };

struct TColumn {
    TColumnKind kind;
    // The separator's x; the cell runs from x + 1 to x + width - 1.
    int x;
    int width;
};

std::vector<TColumn> ShownColumns(const TPrintJob& job, const TReportLayout& layout) {
    std::vector<TColumn> columns;
    int x = layout.BodyRect.Left + layout.NameColumnWidth + 1;
    const auto add = [&](bool shown, TColumnKind kind, int width) {
        if (!shown)
            return;
        columns.push_back({kind, x, width});
        x += width;
    };
    add(job.ShowPriority, TColumnKind::Priority, NarrowColumnWidth);
    add(job.ShowCategory, TColumnKind::Category, NarrowColumnWidth);
    add(job.ShowReminder, TColumnKind::Reminder, NarrowColumnWidth);
    add(job.ShowDueDate, TColumnKind::DueDate, DueDateColumnWidth);
    return columns;
}

QString Caption(TColumnKind kind) {
    switch (kind) {
    case TColumnKind::Priority:
        return QStringLiteral("P");
    case TColumnKind::Category:
        return QStringLiteral("C");
    case TColumnKind::Reminder:
        return QStringLiteral("R");
    case TColumnKind::DueDate:
        break;
    }
    return QStringLiteral("Due Date");
}

class TPageDrawer {
public:
    TPageDrawer(TPrintPreview& preview, const TReportLayout& layout, const TPrintJob& job,
                const TReportPictures& pictures)
        : preview_(preview), canvas_(*preview.PageCanvas()), layout_(layout), job_(job),
          pictures_(pictures), kind_(ReportKind(job)), columns_(ShownColumns(job, layout)),
          notes_(canvas_, layout.NameColumnWidth), left_(layout.BodyRect.Left),
          right_(layout.BodyRect.Right), nameRight_(left_ + layout.NameColumnWidth),
          R_(layout.ReportRowHeight) {}

    void Draw(const TPageTexts& texts, int page);

private:
    int Heading(int y, const QString& text);
    int TaskRow(int y, const TMyRec2& task, bool underPageHeading);
    void Cell(const TColumn& column, const QRect& cell, const TMyRec2& task);
    void Picture(const QRect& cell, const QImage* picture);
    QString PageHeadingText() const;

    TPrintPreview& preview_;
    QPainter& canvas_;
    const TReportLayout& layout_;
    const TPrintJob& job_;
    const TReportPictures& pictures_;
    const TReportKind kind_;
    const std::vector<TColumn> columns_;
    const TNoteMeasure notes_;
    const int left_;
    const int right_;
    // X: where the name column ends.
    const int nameRight_;
    const int R_;
};

void TPageDrawer::Draw(const TPageTexts& texts, int page) {
    canvas_.setBackground(Qt::white);
    canvas_.setBackgroundMode(Qt::TransparentMode);
    const QColor windowText = QGuiApplication::palette().color(QPalette::WindowText);
    canvas_.setPen(windowText);
    canvas_.setFont(TitleFont());
    TextAt(canvas_, layout_.TitlePos, ReportTitle);
    canvas_.setFont(ReportFont(12));
    TextAt(canvas_, layout_.DatePos, texts.Date);

    int y = layout_.BodyRect.Top;
    HorizontalLine(canvas_, left_, right_, y);
    const int first = layout_.PageFirstTask[static_cast<size_t>(page - 1)];
    const int last = layout_.PageLastTask[static_cast<size_t>(page - 1)];
    const bool separated = IsSeparated(kind_);
    // The name of the category of the task before, read as the heading rule compares them.
    std::string previousName;
    if (separated && first > 0)
        previousName = GetCategoryName(job_.Tasks[static_cast<size_t>(first - 1)].intCategory);
    for (int i = first; i <= last; ++i) {
        const TMyRec2& task = job_.Tasks[static_cast<size_t>(i)];
        if (separated) {
            std::string name = GetCategoryName(task.intCategory);
            if (i == 0 || name != previousName)
                y = Heading(y, QString::fromStdString(name));
            previousName = std::move(name);
        } else if (i == first) {
            y = Heading(y, PageHeadingText());
        }
        y = TaskRow(y, task, !separated && i == first);
    }

    canvas_.setPen(Qt::black);
    canvas_.setFont(ReportFont(12, true));
    TextAt(canvas_, layout_.FooterPos, texts.Footer);
    canvas_.setFont(ReportFont(12));
    const QString number = QString("%1/%2").arg(page).arg(layout_.PageCount);
    TextAt(canvas_,
           QPoint(right_ - canvas_.fontMetrics().horizontalAdvance(number), layout_.FooterPos.y()),
           number);
}

QString TPageDrawer::PageHeadingText() const {
    if (kind_ == TReportKind::SingleCategory)
        return QString::fromStdString(job_.CategoryName) + " Tasks";
    return QStringLiteral("Tasks");
}

int TPageDrawer::Heading(int y, const QString& text) {
    canvas_.fillRect(Ltrb(left_, y + 1, right_, y + R_), HeadingFill);
    canvas_.setPen(Qt::black);
    canvas_.setFont(ReportFont(12, true));
    TextLine(canvas_, Ltrb(left_, y + 1, nameRight_, y + R_), Qt::AlignCenter, text);
    for (const TColumn& column : columns_) {
        VerticalLine(canvas_, column.x, y + 1, y + R_);
        TextLine(canvas_, Ltrb(column.x + 1, y + 1, column.x + column.width - 1, y + R_),
                 Qt::AlignCenter, Caption(column.kind));
    }
    HorizontalLine(canvas_, left_, right_, y + R_ + 1);
    return y + R_ + 1;
}

int TPageDrawer::TaskRow(int y, const TMyRec2& task, bool underPageHeading) {
    const bool done = task.intDone == 1;
    QFont font = ReportFont(12, task.intPriority == 0);
    font.setStrikeOut(done);
    canvas_.setFont(font);
    canvas_.setPen(done ? DoneText : QColor(Qt::black));
    TextLine(canvas_, Ltrb(left_ + 2, underPageHeading ? y + 1 : y, nameRight_, y + R_),
             Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(task.strName));

    int bottom = y + R_ + 1;
    if (job_.PrintNotes && task.intMemo == 1) {
        const int height = notes_.Height(task.strNote);
        canvas_.setFont(ReportFont(10));
        canvas_.setPen(DoneText);
        canvas_.drawText(Ltrb(left_ + 10, y + R_ + 2, nameRight_, y + R_ + 5 + height), NoteFlags,
                         QString::fromStdString(task.strNote));
        bottom = y + R_ + 5 + height;
    }

    for (const TColumn& column : columns_) {
        VerticalLine(canvas_, column.x, y + 1, bottom - 1);
        Cell(column, Ltrb(column.x + 1, y + 1, column.x + column.width - 1, y + R_), task);
    }
    HorizontalLine(canvas_, left_, right_, bottom);
    return bottom;
}

void TPageDrawer::Cell(const TColumn& column, const QRect& cell, const TMyRec2& task) {
    switch (column.kind) {
    case TColumnKind::Priority:
        Picture(cell, task.intPriority == 0 ? &pictures_.HighPriority : nullptr);
        return;
    case TColumnKind::Category:
        Picture(cell, pictures_.CategoryPicture(task.intImg));
        return;
    case TColumnKind::Reminder:
        Picture(cell, task.intReminder == 1 ? &pictures_.Reminder : nullptr);
        return;
    case TColumnKind::DueDate:
        break;
    }
    const bool done = task.intDone == 1;
    const bool due = task.intDue == 1;
    QFont font = ReportFont(due ? 10 : 12);
    font.setItalic(true);
    font.setStrikeOut(done);
    canvas_.setFont(font);
    canvas_.setPen(done ? DoneText : QColor(Qt::black));
    TextLine(canvas_, cell, Qt::AlignCenter,
             due ? QString::fromStdString(FormatDate(task.dateDue)) : QStringLiteral("none"));
}

void TPageDrawer::Picture(const QRect& cell, const QImage* picture) {
    if (picture)
        preview_.DrawGraphicFitted(cell, *picture, 1, 1);
}

} // namespace

TReportPictures::TReportPictures()
    : HighPriority(PagePicture(HighPriorityPicture())), Reminder(PagePicture(ReminderPicture())) {
    for (int number = 1; number <= static_cast<int>(Categories.size()); ++number)
        Categories[static_cast<size_t>(number - 1)] = PagePicture(CategoryIcon(number));
}

const QImage* TReportPictures::CategoryPicture(int number) const {
    if (number < 1 || number > static_cast<int>(Categories.size()))
        return nullptr;
    return &Categories[static_cast<size_t>(number - 1)];
}

void DrawPageContents(TPrintPreview& preview, const TReportLayout& layout, const TPrintJob& job,
                      const TReportPictures& pictures, const TPageTexts& texts, int page) {
    TPageDrawer(preview, layout, job, pictures).Draw(texts, page);
}
