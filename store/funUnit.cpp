// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/funUnit.h"

#include "store/DmUnit.h"
#include "store/db/TableAccess.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <string_view>

namespace {

int Sign(double a, double b) {
    return a < b ? -1 : a > b ? 1 : 0;
}

// By calendar year, month and day, then by the full value. The calendar day of a date-time is
// its whole part cut toward zero, and the days follow one another as those numbers do, so the
// whole parts order the days without taking them apart.
int CompareDates(double a, double b) {
    const double dayA = std::trunc(a), dayB = std::trunc(b);
    if (dayA != dayB)
        return Sign(dayA, dayB);
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

// Byte order of UTF-8 is code point order: capitals before small letters.
int CompareNames(std::string_view a, std::string_view b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// A name as the column sort holds it: its first sixteen bytes as two numbers, high byte first
// and zeros after a shorter name, so that most comparisons settle without reading the name.
// Where the numbers differ they order the names as their bytes do.
struct TSortName {
    uint64_t head[2] = {0, 0};
    const std::string* text;

    explicit TSortName(const std::string& name) : text(&name) {
        for (size_t i = 0; i < sizeof head; ++i)
            head[i / 8] =
                head[i / 8] << 8 | (i < name.size() ? static_cast<unsigned char>(name[i]) : 0u);
    }
};

int CompareNames(const TSortName& a, const TSortName& b) {
    for (size_t i = 0; i < 2; ++i)
        if (a.head[i] != b.head[i])
            return a.head[i] < b.head[i] ? -1 : 1;
    return CompareNames(*a.text, *b.text);
}

// The comparison of one column kind, on a task record or on the few fields of it that a column
// sort copies: either way the same code compares the same values. doneOrder is SortOrder when
// the done-at-bottom rule acts, else 0.
template <int Kind, typename Task>
int CompareColumn(const Task& a, const Task& b, int32_t doneOrder) {
    if (doneOrder != 0) {
        if (a.intDone == 0 && b.intDone == 1)
            return doneOrder == -1 ? -1 : 1;
        if (a.intDone == 1 && b.intDone == 0)
            return doneOrder == -1 ? 1 : -1;
    }
    if constexpr (Kind == 1)
        return CompareNames(a.strName, b.strName);
    else if constexpr (Kind == 2)
        return Sign(a.intPriority, b.intPriority);
    else if constexpr (Kind == 3)
        return Sign(a.intPos, b.intPos);
    else if constexpr (Kind == 4)
        return CompareOptional(a.intReminder, b.intReminder, [&] {
            return CompareDates(a.datetimeReminder, b.datetimeReminder);
        });
    else if constexpr (Kind == 5)
        return CompareOptional(a.intDue, b.intDue, [&] { return Sign(a.dateDue, b.dateDue); });
    else
        return 0;
}

int32_t DoneOrder() {
    return DoneBottom == 1 && (SortOrder == -1 || SortOrder == 1) ? SortOrder : 0;
}

// What a column sort copies of a task: the fields its comparison reads and the task's position.
template <int Kind> struct TSortKey;
template <> struct TSortKey<1> {
    int32_t intDone;
    uint32_t position;
    TSortName strName;
    TSortKey(const TMyRec2& t, uint32_t p) : intDone(t.intDone), position(p), strName(t.strName) {}
};
template <> struct TSortKey<2> {
    int32_t intDone, intPriority;
    uint32_t position;
    TSortKey(const TMyRec2& t, uint32_t p)
        : intDone(t.intDone), intPriority(t.intPriority), position(p) {}
};
template <> struct TSortKey<3> {
    int32_t intDone, intPos;
    uint32_t position;
    TSortKey(const TMyRec2& t, uint32_t p) : intDone(t.intDone), intPos(t.intPos), position(p) {}
};
template <> struct TSortKey<4> {
    int32_t intDone, intReminder;
    double datetimeReminder;
    uint32_t position;
    TSortKey(const TMyRec2& t, uint32_t p)
        : intDone(t.intDone), intReminder(t.intReminder), datetimeReminder(t.datetimeReminder),
          position(p) {}
};
template <> struct TSortKey<5> {
    int32_t intDone, intDue;
    double dateDue;
    uint32_t position;
    TSortKey(const TMyRec2& t, uint32_t p)
        : intDone(t.intDone), intDue(t.intDue), dateDue(t.dateDue), position(p) {}
};

// Asks for memory that is about to be read, so that waiting for it overlaps other work.
void Prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

// Puts the record at position order[i] into position i, moving each record once: around each
// cycle of the permutation, the first record waits aside until its place comes free. The records
// are read out of order, so the one to move next is asked for while this one moves. order is
// used up.
void PlaceInOrder(std::vector<TMyRec2>& tasks, std::vector<uint32_t>& order) {
    for (uint32_t start = 0; start < order.size(); ++start) {
        if (order[start] == start)
            continue;
        TMyRec2 waiting = std::move(tasks[start]);
        uint32_t at = start;
        while (order[at] != start) {
            const uint32_t from = order[at];
            Prefetch(&tasks[order[from]]);
            tasks[at] = std::move(tasks[from]);
            order[at] = at;
            at = from;
        }
        tasks[at] = std::move(waiting);
        order[at] = at;
    }
}

// The merge sorts small copies of the compared fields, which lie side by side, instead of
// records of two hundred bytes and more spread over the memory. It makes the comparisons a
// sort of the records would make, with the same results, so the order is the same, ties
// included.
template <int Kind> void SortByColumnKeys(std::vector<TMyRec2>& tasks) {
    const int32_t before = SortOrder, doneOrder = DoneOrder();
    std::vector<uint32_t> order;
    {
        std::vector<TSortKey<Kind>> keys;
        keys.reserve(tasks.size());
        for (uint32_t k = 0; k < tasks.size(); ++k)
            keys.emplace_back(tasks[k], k);
        std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
            return CompareColumn<Kind>(a, b, doneOrder) == before;
        });
        order.reserve(keys.size());
        for (const auto& key : keys)
            order.push_back(key.position);
    }
    PlaceInOrder(tasks, order);
}

} // namespace

int CompareTasks(const TMyRec2& a, const TMyRec2& b, int kind) {
    const int32_t doneOrder = DoneOrder();
    switch (kind) {
    case 1:
        return CompareColumn<1>(a, b, doneOrder);
    case 2:
        return CompareColumn<2>(a, b, doneOrder);
    case 3:
        return CompareColumn<3>(a, b, doneOrder);
    case 4:
        return CompareColumn<4>(a, b, doneOrder);
    case 5:
        return CompareColumn<5>(a, b, doneOrder);
    default:
        return CompareColumn<0>(a, b, doneOrder);
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
    // The positions are sorted, not the records, which are ten times their size and more; the
    // merge makes the same comparisons either way, so the order is the same, ties included.
    std::vector<uint32_t> order(tasks.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return compare(tasks[a], tasks[b]) == before; });
    PlaceInOrder(tasks, order);
}

void SortTasksByColumn(std::vector<TMyRec2>& tasks, int kind) {
    if (SortOrder != -1 && SortOrder != 1)
        return;
    switch (kind) {
    case 1:
        return SortByColumnKeys<1>(tasks);
    case 2:
        return SortByColumnKeys<2>(tasks);
    case 3:
        return SortByColumnKeys<3>(tasks);
    case 4:
        return SortByColumnKeys<4>(tasks);
    case 5:
        return SortByColumnKeys<5>(tasks);
    default:
        SortTasks(tasks,
                  [kind](const TMyRec2& a, const TMyRec2& b) { return CompareTasks(a, b, kind); });
    }
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
