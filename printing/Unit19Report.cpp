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

// Records one page on the control: its canvas is drawn on between BeginDoc and EndDoc. A
// drawing that fails leaves no document open on the control.
void RecordPage(TPrintPreview& preview, const std::function<void(QPainter&)>& draw) {
    preview.BeginDoc();
    try {
        draw(*preview.PageCanvas());
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
    std::vector<int> noteRoom;
    RecordPage(*PrintPreview1, [&](QPainter& canvas) {
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
    RecordPage(*PrintPreview1, [&](QPainter&) {
        DrawPageContents(*PrintPreview1, Layout, PrintJob, pictures_, PageTexts(), page);
    });
}
