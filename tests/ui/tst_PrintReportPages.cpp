// SPDX-License-Identifier: GPL-3.0-or-later

// Report pages laid out by the preview window and looked at as images: the heading fill, the
// rule and row lines, the column separators, done and High tasks, notes, headings by report
// kind, the footer and the page number.

#include "app/Application.h"
#include "printing/ReportLayout.h"
#include "tests/ui/PrintRig.h"
#include "tests/ui/WindowControls.h"

#include <QFontMetrics>
#include <QTest>
#include <algorithm>

namespace {

bool IsFill(const QImage& page, int x, int y) {
    return page.pixel(x, y) == qRgb(205, 205, 205);
}

bool IsBlack(const QImage& page, int x, int y) {
    return qGray(page.pixel(x, y)) < 40;
}

bool IsWhite(const QImage& page, int x, int y) {
    return page.pixel(x, y) == qRgb(255, 255, 255);
}

// The darkest grey level in a rectangle, and how many pixels in it are inked.
int Darkest(const QImage& page, const QRect& area) {
    int darkest = 255;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            darkest = std::min(darkest, qGray(page.pixel(x, y)));
    return darkest;
}

int Ink(const QImage& page, const QRect& area) {
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ink += qGray(page.pixel(x, y)) < 200 ? 1 : 0;
    return ink;
}

// The longest horizontal run of inked pixels on any row of a rectangle.
int LongestRun(const QImage& page, const QRect& area) {
    int longest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        int run = 0;
        for (int x = area.left(); x <= area.right(); ++x) {
            run = qGray(page.pixel(x, y)) < 200 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

// The rows of the line that runs down the table's left edge: the rule, row and heading lines.
std::vector<int> LineRows(const QImage& page, const TReportLayout& layout) {
    std::vector<int> rows;
    const int x = layout.BodyRect.Left + 1;
    for (int y = layout.BodyRect.Top; y < page.height(); ++y)
        if (IsBlack(page, x, y) && IsBlack(page, layout.BodyRect.Right - 1, y))
            rows.push_back(y);
    return rows;
}

// How many heading rows the page has: runs of rows filled at the table's left edge.
int Headings(const QImage& page, const TReportLayout& layout) {
    int count = 0;
    const int x = layout.BodyRect.Left + 1;
    for (int y = layout.BodyRect.Top + 1; y < page.height(); ++y)
        count += IsFill(page, x, y) && !IsFill(page, x, y - 1) ? 1 : 0;
    return count;
}

QRect InkBox(const QImage& page, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(page.pixel(x, y)) < 160)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class TestPrintReportPages : public QObject {
    Q_OBJECT

    std::unique_ptr<TPrintRig> rig_;

    TPrintJob& Job() { return rig_->preview->PrintJob; }
    const TReportLayout& Layout() const { return rig_->preview->Layout; }
    int R() const { return Layout().ReportRowHeight; }
    QImage Page(int page) {
        rig_->preview->DrawReportPage(page);
        return rig_->Page();
    }
    // Enough tasks of one category for three pages.
    std::vector<TMyRec2> Many(int count, int category = 1) const {
        std::vector<TMyRec2> tasks;
        for (int id = 1; id <= count; ++id)
            tasks.push_back(Task(id, "Task " + std::to_string(id), category));
        return tasks;
    }

private slots:
    void init() {
        rig_ = std::make_unique<TPrintRig>();
        Job().PrintNotes = false;
    }
    void cleanup() {
        VerifyCleanEnd();
        rig_.reset();
    }

    void headingRuleLinesAndColumns() {
        TMyRec2 high = Task(1, "High with everything", 2);
        high.intPriority = 0;
        high.intReminder = 1;
        high.intDue = 1;
        high.dateDue = EncodeDate(2007, 5, 1);
        Job().Tasks = {high, Task(2, "Plain", 11)};
        Job().ShowCategory = true;
        rig_->SetUp();
        const TReportRect body = Layout().BodyRect;
        // 25 mm at the sides and 10 mm at the top of an A4 page of 794 pixels: 10 mm are 38.
        QCOMPARE(PrintPreview1(*rig_->preview)->PaperWidth(), 794);
        QCOMPARE(body.Left, 95);
        QCOMPARE(body.Right, 794 - 95);
        QCOMPARE(Layout().TitlePos, QPoint(95, 38));
        QCOMPARE(Layout().NameColumnWidth, body.Width() - 3 * 41 - 81);
        const QImage page = rig_->Page();

        // The rule line across the body, right edge left out.
        const int top = body.Top;
        QVERIFY(IsBlack(page, body.Left, top) && IsBlack(page, body.Right - 1, top));
        QVERIFY(IsWhite(page, body.Left - 1, top) && IsWhite(page, body.Right, top));
        // The heading: filled from the row under the rule to the row above the gap, then the
        // line the first task row starts on.
        for (int y = top + 1; y < top + R(); ++y)
            QVERIFY2(IsFill(page, body.Left, y) && IsFill(page, body.Right - 1, y),
                     qPrintable(QString("row %1").arg(y)));
        QVERIFY(IsWhite(page, body.Left, top + R()));
        QVERIFY(IsBlack(page, body.Left, top + R() + 1));
        QCOMPARE(LineRows(page, Layout()),
                 (std::vector<int>{top, top + R() + 1, top + 2 * R() + 2, top + 3 * R() + 3}));

        // Separators at X + 1, + 41, + 82, + 123; none at the table's edges.
        const int X = body.Left + Layout().NameColumnWidth;
        const int rowMiddle = top + R() + 1 + R() / 2;
        for (int x : {X + 1, X + 42, X + 83, X + 124}) {
            QVERIFY2(IsBlack(page, x, top + R() / 2) && IsBlack(page, x, rowMiddle),
                     qPrintable(QString("separator at %1").arg(x)));
            // In a task row from y + 1 to its bottom less 1, leaving a gap above the line.
            QVERIFY(IsBlack(page, x, top + R() + 2));
            QVERIFY(IsWhite(page, x, top + 2 * R() + 1));
        }
        QVERIFY(IsWhite(page, body.Left, rowMiddle));
        QVERIFY(IsWhite(page, body.Right - 1, rowMiddle));

        // The pictures of the first row in its cells; the second task's category icon 11 is
        // none, and it has no priority, reminder or date.
        const int row1 = top + R() + 2;
        const int row2 = top + 2 * R() + 3;
        for (int x : {X + 2, X + 43, X + 84, X + 125}) {
            QVERIFY(Ink(page, QRect(x, row1, 39, R() - 1)) > 10);
        }
        for (int x : {X + 2, X + 43, X + 84})
            QCOMPARE(Ink(page, QRect(x, row2, 39, R() - 1)), 0);
        // Its due date cell says "none".
        QVERIFY(Ink(page, QRect(X + 125, row2, 79, R() - 1)) > 10);
    }

    void doneHighTaskIsGreyStruckOutAndBold() {
        TMyRec2 doneHigh = Task(1, "Finished business", 1);
        doneHigh.intPriority = 0;
        doneHigh.intDone = 1;
        doneHigh.intDue = 1;
        doneHigh.dateDue = EncodeDate(2007, 5, 1);
        TMyRec2 doneNormal = doneHigh;
        doneNormal.id = 2;
        doneNormal.intPriority = 1;
        TMyRec2 openHigh = doneHigh;
        openHigh.id = 3;
        openHigh.intDone = 0;
        Job().Tasks = {doneHigh, doneNormal, openHigh};
        rig_->SetUp();
        const QImage page = rig_->Page();
        const TReportRect body = Layout().BodyRect;
        const int X = body.Left + Layout().NameColumnWidth;
        const auto name = [&](int row) {
            return QRect(body.Left + 2, body.Top + (row + 1) * (R() + 1) + 1, X - body.Left - 2,
                         R() - 1);
        };
        const auto due = [&](int row) {
            return QRect(X + 84, body.Top + (row + 1) * (R() + 1) + 1, 79, R() - 1);
        };
        // Done: grey 95, nothing darker; the open task is black.
        QVERIFY2(qAbs(Darkest(page, name(0)) - 95) <= 3,
                 qPrintable(QString::number(Darkest(page, name(0)))));
        QVERIFY(qAbs(Darkest(page, due(0)) - 95) <= 3);
        QVERIFY(Darkest(page, name(2)) < 40);
        QVERIFY(Darkest(page, due(2)) < 40);
        // Struck out: a line through the whole name and the whole date.
        const int nameWidth =
            QFontMetrics(ReportFont(12, true)).horizontalAdvance("Finished business");
        QVERIFY2(LongestRun(page, name(0)) >= nameWidth - 4,
                 qPrintable(QString("%1 of %2").arg(LongestRun(page, name(0))).arg(nameWidth)));
        QVERIFY(LongestRun(page, name(2)) < nameWidth / 3);
        QVERIFY(LongestRun(page, due(0)) > 50);
        QVERIFY(LongestRun(page, due(2)) < 20);
        // Bold: the High name takes more ink than the same name in regular.
        QVERIFY(Ink(page, name(0)) > Ink(page, name(1)) * 11 / 10);
    }

    void footerAndPageNumber() {
        Job().Tasks = Many(100);
        rig_->SetUp();
        QCOMPARE(Layout().PageCount, 3);
        const TReportRect body = Layout().BodyRect;
        const QPoint footer = Layout().FooterPos;
        const QFontMetrics metrics(ReportFont(12));
        QCOMPARE(footer.x(), body.Left);
        QCOMPARE(body.Bottom, footer.y() - 2);
        const QRect band(0, footer.y() - 2, PrintPreview1(*rig_->preview)->PaperWidth(),
                         metrics.height() + 4);
        for (int p = 1; p <= 3; ++p) {
            const QImage page = Page(p);
            // The number's right edge at the body's right edge, its top on the footer's line.
            const QRect number = InkBox(page, band.adjusted(body.Right - 100, 0, 0, 0));
            QVERIFY2(qAbs(number.right() - (body.Right - 1)) <= 2,
                     qPrintable(QString("page %1: %2").arg(p).arg(number.right())));
            QVERIFY(number.top() >= footer.y() && number.bottom() < footer.y() + metrics.height());
            QVERIFY(qAbs(number.width() - metrics.horizontalAdvance(QString("%1/3").arg(p))) <= 3);
            // The address from the footer's place.
            const QRect address = InkBox(page, band.adjusted(0, 0, -(band.width() / 2), 0));
            QVERIFY(qAbs(address.left() - body.Left) <= 2);
        }
    }

    void everyPageOfOneTableRepeatsItsHeading() {
        for (bool all : {false, true}) {
            Job().Tasks = Many(100);
            Job().AllCategories = all;
            Job().CategoryName = "Personal";
            rig_->SetUp();
            QCOMPARE(Layout().PageCount, 3);
            for (int p = 1; p <= 3; ++p)
                QCOMPARE(Headings(Page(p), Layout()), 1);
        }
    }

    void aContinuedCategoryHasNoHeadingOnItsNextPage() {
        std::vector<TMyRec2> tasks = Many(60, 1);
        for (int id = 61; id <= 70; ++id)
            tasks.push_back(Task(id, "Work " + std::to_string(id), 2));
        Job().Tasks = tasks;
        Job().SeparateCategories = true;
        rig_->SetUp();
        QCOMPARE(Layout().PageCount, 2);
        QCOMPARE(Headings(Page(1), Layout()), 1);
        // Page 2 goes on with Personal, without a heading, then Work under its own.
        const QImage second = Page(2);
        QCOMPARE(Headings(second, Layout()), 1);
        QVERIFY(!IsFill(second, Layout().BodyRect.Left + 1, Layout().BodyRect.Top + 2));

        // One category per page: Work opens the second page with its heading.
        Job().CategoryPerPage = true;
        rig_->SetUp();
        QCOMPARE(Layout().PageCount, 3);
        QCOMPARE(Layout().PageFirstTask[2], 60);
        QCOMPARE(Headings(Page(2), Layout()), 0);
        QVERIFY(IsFill(Page(3), Layout().BodyRect.Left + 1, Layout().BodyRect.Top + 2));
    }

    void neighbouringCategoriesOfTheSameNameShareTheirHeading() {
        // Categories 2 and 5 are both called "Work".
        Job().Tasks = {Task(1, "one", 2), Task(2, "two", 2), Task(3, "three", 5)};
        Job().SeparateCategories = true;
        rig_->SetUp();
        QCOMPARE(Headings(rig_->Page(), Layout()), 1);
        Job().CategoryPerPage = true;
        rig_->SetUp();
        QCOMPARE(Layout().PageCount, 2);
        QCOMPARE(Headings(Page(2), Layout()), 0);
    }

    void notesUnderTheirTasksOnly() {
        Job().Tasks = {WithNote(Task(1, "with a note"), "first line\nsecond line"),
                       Task(2, "without"), Task(3, "after")};
        // A note text on a task whose record says it has none is not printed.
        Job().Tasks[1].strNote = "not printed";
        Job().PrintNotes = true;
        rig_->SetUp();
        const QImage page = rig_->Page();
        const std::vector<int> lines = LineRows(page, Layout());
        QCOMPARE(lines.size(), size_t(5));
        // The noted row: R + 5 and the note measured word-wrapped; the others R + 1.
        const int noteHeight = QFontMetrics(ReportFont(10))
                                   .boundingRect(QRect(0, 0, Layout().NameColumnWidth - 10, 1000),
                                                 NoteFlags, "first line\nsecond line")
                                   .height();
        QVERIFY(noteHeight > 25);
        QCOMPARE(lines[2] - lines[1], R() + 5 + noteHeight);
        QCOMPARE(lines[3] - lines[2], R() + 1);
        QCOMPARE(lines[4] - lines[3], R() + 1);
        // The note in grey, indented by 10.
        const QRect note(Layout().BodyRect.Left, lines[1] + R() + 1, 60,
                         lines[2] - lines[1] - R() - 2);
        const QRect ink = InkBox(page, note);
        QVERIFY(ink.left() >= Layout().BodyRect.Left + 10 &&
                ink.left() <= Layout().BodyRect.Left + 12);
        QVERIFY(qAbs(Darkest(page, note) - 95) <= 3);
        // Without notes printed the same tasks take R + 1 each.
        Job().PrintNotes = false;
        rig_->SetUp();
        const std::vector<int> plain = LineRows(rig_->Page(), Layout());
        QCOMPARE(plain[2] - plain[1], R() + 1);
    }

    void withoutOptionalColumnsTheNameFillsTheBody() {
        Job().Tasks = {Task(1, "alone")};
        Job().ShowPriority = Job().ShowReminder = Job().ShowDueDate = false;
        rig_->SetUp();
        QCOMPARE(Layout().NameColumnWidth, Layout().BodyRect.Width());
        const QImage page = rig_->Page();
        const TReportRect body = Layout().BodyRect;
        // Nothing in the heading and the row but their texts near the middle and the left.
        QCOMPARE(Ink(page, QRect(body.Right - 150, body.Top + 1, 149, R() - 1)), 0);
        QCOMPARE(Ink(page, QRect(body.Right - 150, body.Top + R() + 2, 149, R() - 1)), 0);
    }

    void noneIsLargerThanADate() {
        TMyRec2 dated = Task(1, "dated");
        dated.intDue = 1;
        dated.dateDue = EncodeDate(2007, 5, 1);
        Job().Tasks = {dated, Task(2, "undated")};
        rig_->SetUp();
        const QImage page = rig_->Page();
        const int X = Layout().BodyRect.Left + Layout().NameColumnWidth;
        const QRect none =
            InkBox(page, QRect(X + 84, Layout().BodyRect.Top + 2 * R() + 3, 79, R() - 1));
        QFont large = ReportFont(12);
        large.setItalic(true);
        QFont small = ReportFont(10);
        small.setItalic(true);
        const int at12 = QFontMetrics(large).horizontalAdvance("none");
        const int at10 = QFontMetrics(small).horizontalAdvance("none");
        QVERIFY2(
            qAbs(none.width() - at12) < qAbs(none.width() - at10),
            qPrintable(QString("%1: 12 pt %2, 10 pt %3").arg(none.width()).arg(at12).arg(at10)));
        // Centred in its cell.
        QVERIFY(qAbs((none.left() - (X + 84)) - (X + 163 - none.right())) <= 3);
    }

    void aReportWithoutTasksIsOnePageWithHeaderAndFooter() {
        Job().Tasks = {};
        rig_->SetUp();
        QCOMPARE(Layout().PageCount, 1);
        QCOMPARE(PrintPreview1(*rig_->preview)->TotalPages(), 1);
        const QImage page = rig_->Page();
        const TReportRect body = Layout().BodyRect;
        QCOMPARE(LineRows(page, Layout()), (std::vector<int>{body.Top}));
        QCOMPARE(Headings(page, Layout()), 0);
        QVERIFY(Ink(page, QRect(body.Left, 0, body.Width(), body.Top)) > 100);
        QVERIFY(Ink(page, QRect(body.Left, Layout().FooterPos.y(), body.Width(), 20)) > 100);
        QCOMPARE(Ink(page, QRect(body.Left, body.Top + 2, body.Width(), body.Height() - 2)), 0);
    }

    void dateRightAlignedAboveTheRule() {
        Job().Tasks = {Task(1, "one")};
        rig_->SetUp();
        const TReportRect body = Layout().BodyRect;
        const QImage page = rig_->Page();
        const QRect date = InkBox(page, QRect(body.Right - 150, 0, 160, body.Top));
        QVERIFY(qAbs(date.right() - (body.Right - 2)) <= 2);
        QVERIFY(date.bottom() < body.Top - 2);
        QCOMPARE(Layout().DatePos.x(),
                 body.Right - QFontMetrics(ReportFont(12)).horizontalAdvance("2007-03-14") - 1);
    }
};

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TestPrintReportPages test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_PrintReportPages.moc"
