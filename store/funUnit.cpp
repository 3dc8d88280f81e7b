// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/funUnit.h"

#include "store/DmUnit.h"
#include "store/dates/dateUnit.h"
#include "store/db/TableAccess.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

int Sign(double a, double b) {
    return a < b ? -1 : a > b ? 1 : 0;
}

int CompareDates(double a, double b) {
    const TCalendarDate x = DecodeDate(a);
    const TCalendarDate y = DecodeDate(b);
    if (x.year != y.year)
        return x.year < y.year ? -1 : 1;
    if (x.month != y.month)
        return x.month < y.month ? -1 : 1;
    if (x.day != y.day)
        return x.day < y.day ? -1 : 1;
    return Sign(a, b);
}

// Tasks with the flag set come first; when neither flag settles it, the values decide.
template <typename ValueOrder>
int CompareOptional(int32_t flagA, int32_t flagB, ValueOrder valueOrder) {
    if (flagA == 1 && flagB == 0)
        return -1;
    if (flagA == 0 && flagB == 0)
        return 0;
    if (flagA == 0 && flagB == 1)
        return 1;
    return valueOrder();
}

} // namespace

int CompareTasks(const TMyRec2& a, const TMyRec2& b, int kind) {
    if (DoneBottom == 1 && (SortOrder == -1 || SortOrder == 1)) {
        if (a.intDone == 0 && b.intDone == 1)
            return SortOrder == -1 ? -1 : 1;
        if (a.intDone == 1 && b.intDone == 0)
            return SortOrder == -1 ? 1 : -1;
    }
    switch (kind) {
    case 1: {
        // Byte order of UTF-8 is code point order: capitals before small letters.
        const int c = a.strName.compare(b.strName);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    case 2:
        return Sign(a.intPriority, b.intPriority);
    case 3:
        return Sign(a.intPos, b.intPos);
    case 4:
        return CompareOptional(a.intReminder, b.intReminder, [&] {
            return CompareDates(a.datetimeReminder, b.datetimeReminder);
        });
    case 5:
        return CompareOptional(a.intDue, b.intDue, [&] { return Sign(a.dateDue, b.dateDue); });
    default:
        return 0;
    }
}

int CompareDone(const TMyRec2& a, const TMyRec2& b) {
    return Sign(a.intDone, b.intDone);
}

void SortTasks(std::vector<TMyRec2>& tasks,
               const std::function<int(const TMyRec2&, const TMyRec2&)>& compare) {
    // Stable, so a sort by one column keeps the previous order within equal keys. Only a
    // result equal to SortOrder puts a before b.
    if (SortOrder != -1 && SortOrder != 1)
        return;
    const int before = SortOrder;
    std::stable_sort(tasks.begin(), tasks.end(),
                     [&](const TMyRec2& a, const TMyRec2& b) { return compare(a, b) == before; });
}

int FindTask(const std::vector<TMyRec2>& tasks, int32_t id) {
    const auto found = std::find_if(tasks.begin(), tasks.end(),
                                    [id](const TMyRec2& task) { return task.id == id; });
    return found == tasks.end() ? -1 : static_cast<int>(found - tasks.begin());
}

std::string FormatTwoDecimals(double x) {
    const double rounded = std::floor(std::abs(x) * 100 + 0.5) / 100;
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.15g", rounded);
    std::string text = digits;
    const size_t point = text.find('.');
    if (point == std::string::npos)
        text += ".00";
    else if (text.size() - point == 2)
        text += '0';
    return x < 0 ? "-" + text : text;
}

std::string GetCategoryName(int32_t id) {
    TTableCursor& table = DM->ADOTable1;
    OpenTable(table, "t_category");
    const std::string name = table.Locate("id", id) ? table.AsString("strName") : std::string();
    table.Close();
    return name;
}
