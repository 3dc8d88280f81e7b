// SPDX-License-Identifier: GPL-3.0-or-later

#include "printing/ReportPages.h"

#include "store/funUnit.h"

#include <algorithm>

TReportKind ReportKind(const TPrintJob& job) {
    if (!job.AllCategories)
        return TReportKind::SingleCategory;
    if (!job.SeparateCategories)
        return TReportKind::AllCategories;
    return job.CategoryPerPage ? TReportKind::CategoryPerPage : TReportKind::Separated;
}

bool IsSeparated(TReportKind kind) {
    return kind == TReportKind::Separated || kind == TReportKind::CategoryPerPage;
}

// The order is the one an exchange sort gives that swaps neighbours when the category
// comparison of the left one with the right one is 1. That comparison orders by the done mark
// (when it acts) and then by position, a strict weak order whose stable sort is unique, so a
// stable sort reaches the same order without the exchange sort's square cost.
void SortByCategory(TPrintJob& job) {
    if (!job.AllCategories || !job.SeparateCategories)
        return;
    std::stable_sort(job.Tasks.begin(), job.Tasks.end(), [](const TMyRec2& a, const TMyRec2& b) {
        return CompareTasks(a, b, 3) == -1;
    });
}

TPagination PaginateTasks(TReportKind kind, int bodyHeight, int rowHeight,
                          const std::vector<int>& extraHeights,
                          const std::vector<int32_t>& categories) {
    const int R = rowHeight;
    TPagination pages;
    pages.PageFirstTask.push_back(0);
    const int count = static_cast<int>(categories.size());
    // A row is R high plus its bottom line; a heading row the same again.
    int used = 0;
    for (int i = 0; i < count; ++i) {
        const int extra = extraHeights[static_cast<size_t>(i)];
        if (i == 0) {
            used = 2 * R + 2 + extra;
            continue;
        }
        const bool newCategory = IsSeparated(kind) && categories[static_cast<size_t>(i)] !=
                                                          categories[static_cast<size_t>(i - 1)];
        const int row = newCategory ? 2 * R + 2 + extra : R + 1 + extra;
        const bool breakForced = kind == TReportKind::CategoryPerPage && newCategory;
        if (!breakForced && used + row <= bodyHeight) {
            used += row;
            continue;
        }
        pages.PageLastTask.push_back(i - 1);
        pages.PageFirstTask.push_back(i);
        ++pages.PageCount;
        // The new page counts a heading row above the task's own room.
        used = R + 1 + row;
    }
    pages.PageLastTask.push_back(count - 1);
    return pages;
}
