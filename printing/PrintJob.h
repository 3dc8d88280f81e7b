// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/varUnit.h"

#include <cstdint>
#include <string>
#include <vector>

// What the print settings window hands to the print preview window: the paper, the report's
// options and the job's own copies of the tasks to print. Each hand-over replaces it whole.
struct TPrintJob {
    // Index in the settings window's page size list: 0 "A4", 1 "A5", 2 "Legal",
    // 3 "Letter", 4 "B4", 5 "B5", 6 "Custom".
    int32_t PageSize = 0;
    // The sheet's height and width in portrait, in tenths of a millimetre; read only for
    // "Custom".
    int32_t PageHeight = 2970;
    int32_t PageWidth = 2100;
    // 0 portrait, 1 landscape.
    int32_t Landscape = 0;
    bool AllCategories = true;
    std::string CategoryName;
    // In print order; the report may reorder them by category.
    std::vector<TMyRec2> Tasks;
    bool ShowPriority = true;
    bool ShowCategory = false;
    bool ShowReminder = true;
    bool ShowDueDate = true;
    bool SeparateCategories = false;
    bool CategoryPerPage = false;
    // Done tasks were left out when the copies were made.
    bool OnlyUncompleted = false;
    bool PrintNotes = true;
    // True when the preview is shown, false when the report goes to the printer at once.
    bool PreviewMode = true;
};
