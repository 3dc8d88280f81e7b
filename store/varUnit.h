// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>

// A category row of t_category as the windows hold it.
struct TMyRec1 {
    int32_t id = 0;
    std::string strName;
    int32_t intImg = 0;
    int32_t intPos = 0;
};

// The columns of a t_task row that the task editor sets, held alike by the task record and
// by what the editor saves. Date-times are day counts since 1899-12-30, the fraction being
// the time of day.
struct TTaskColumns {
    std::string strName;
    int32_t intCategory = 0;
    int32_t intPriority = 0;
    int32_t intDue = 0;
    double dateDue = 0;
    int32_t intReminder = 0;
    double datetimeReminder = 0;
    int32_t intSound = 0;
    std::string strSoundFile;
};

// A task row of t_task, completed with its category's fields and its note.
struct TMyRec2 : TTaskColumns {
    int32_t id = 0;
    std::string strCategory;
    int32_t intPos = 0;
    int32_t intDone = 0;
    int32_t intMemo = 0;
    std::string strNote;
    int32_t intImg = 0;
};

// 1 keeps done tasks below the others whatever the sort; any other value does not.
extern int32_t DoneBottom;
// Whether the program is registered to start with the session.
extern bool StartWithWindows;
// -1 ascending, +1 descending, 0 before the list was first ordered.
extern int32_t SortOrder;
