// SPDX-License-Identifier: GPL-3.0-or-later

// The task report on the preview window's page preview control: the print order, the pages,
// and one page laid out as the control's only page.

#include "printing/Unit19.h"

#include "preview/Preview.h"
#include "printing/ReportPages.h"
#include "store/dates/DateText.h"
#include "store/dates/dateUnit.h"
#include "store/settings/ProgramInfo.h"

#include <functional>

namespace {

TPageTexts PageTexts() {
    return {QString::fromStdString(FormatDate(Now())), QString::fromUtf8(HomePage)};
}

// Records the pages first to last as one document on the control, each drawn on the page
// canvas. A drawing that fails leaves no document open on the control.
void RecordPages(TPrintPreview& preview, int first, int last,
                 const std::function<void(int page)>& draw) {
    preview.BeginDoc();
    try {
        for (int page = first; page <= last; ++page) {
            if (page > first)
                preview.NewPage();
            draw(page);
        }
    } catch (...) {
        preview.AbortDoc();
        throw;
    }
    preview.EndDoc();
}

} // namespace

void TForm19::SortByCategory() {
    ::SortByCategory(PrintJob);
}

// The page is measured on the canvas the pages are drawn on, so that text measured here
// takes the same room there.
void TForm19::PaginateReport() {
    heldPage_ = 0;
    std::vector<int> noteRoom;
    RecordPages(*PrintPreview1, 1, 1, [&](int) {
        QPainter& canvas = *PrintPreview1->PageCanvas();
        const TUnits units = PrintPreview1->Units();
        const QPoint tenMillimetres(PrintPreview1->ToUnitsX(100, mmLoMetric, units),
                                    PrintPreview1->ToUnitsY(100, mmLoMetric, units));
        const TPageTexts texts = PageTexts();
        MeasurePage(canvas, PrintPreview1->PageRect(), tenMillimetres, PrintJob, texts.Date,
                    texts.Footer, Layout);
        noteRoom = NoteRoom(PrintJob, TNoteMeasure(canvas, Layout.NameColumnWidth));
    });
    std::vector<int32_t> categories;
    categories.reserve(PrintJob.Tasks.size());
    for (const TMyRec2& task : PrintJob.Tasks)
        categories.push_back(task.intCategory);
    TPagination pages = PaginateTasks(ReportKind(PrintJob), Layout.BodyRect.Height(),
                                      Layout.ReportRowHeight, noteRoom, categories);
    Layout.PageFirstTask = std::move(pages.PageFirstTask);
    Layout.PageLastTask = std::move(pages.PageLastTask);
    Layout.PageCount = pages.PageCount;
}

void TForm19::DrawReportPage(int page) {
    heldPage_ = 0;
    RecordPages(*PrintPreview1, page, page, [&](int) {
        DrawPageContents(*PrintPreview1, Layout, PrintJob, pictures_, PageTexts(), page);
    });
    heldPage_ = page;
}

void TForm19::DrawWholeReport() {
    heldPage_ = 0;
    const TPageTexts texts = PageTexts();
    RecordPages(*PrintPreview1, 1, Layout.PageCount, [&](int page) {
        DrawPageContents(*PrintPreview1, Layout, PrintJob, pictures_, texts, page);
    });
}
