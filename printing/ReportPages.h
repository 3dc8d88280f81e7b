// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "printing/PrintJob.h"

#include <cstdint>
#include <vector>

// How the task report is ordered and split into pages: plain arithmetic on heights already
// measured, without Qt, so that it is tested without a printer or a screen.

enum class TReportKind {
    // One category is shown: every page opens with a heading "<category> Tasks".
    SingleCategory,
    // All categories in one table: every page opens with a heading "Tasks".
    AllCategories,
    // A heading with the category's name before each category's first task.
    Separated,
    // As separated, and each new category starts a new page.
    CategoryPerPage,
};

TReportKind ReportKind(const TPrintJob& job);
bool IsSeparated(TReportKind kind);

// Puts the job's tasks in category position order when the report is separated by category;
// within a category they keep their list order. With done tasks at the bottom the done mark
// decides first, in the direction SortOrder says.
void SortByCategory(TPrintJob& job);

// Which tasks go on which page: per page the index of its first and of its last task.
// PageLastTask is -1 on the one page of a report without tasks.
struct TPagination {
    std::vector<int> PageFirstTask;
    std::vector<int> PageLastTask;
    int PageCount = 1;
};

// Splits tasks into pages of a body bodyHeight high, rows being rowHeight high plus a line.
// extraHeights[i] is the room below task i's row (its note), categories[i] its category id.
// A row never splits: a task taller than the body gets a page of its own and runs past it.
TPagination PaginateTasks(TReportKind kind, int bodyHeight, int rowHeight,
                          const std::vector<int>& extraHeights,
                          const std::vector<int32_t>& categories);
