// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/records/CategoryTable.h"

#include "store/db/StoreError.h"
#include "store/db/TableAccess.h"
#include "store/db/TextCompare.h"
#include "store/records/TaskWrite.h"

#include <algorithm>
#include <utility>

namespace {

// Runs work on t_category inside one transaction.
template <typename Work> void InCategoryTransaction(TDM& dm, Work work) {
    InTransaction(dm, [&](TTableCursor& table) {
        OpenTable(table, "t_category");
        work(table);
    });
}

void LocateCategory(TTableCursor& table, int32_t id) {
    if (!table.Locate("id", id))
        throw StoreError("The category was deleted by another program: it is no longer in the "
                         "database.");
}

void WritePosition(TTableCursor& table, int32_t id, int32_t position) {
    LocateCategory(table, id);
    table.Edit();
    table.SetInteger("intPos", position);
    table.Post();
}

} // namespace

int32_t NewCategoryId(const std::vector<TMyRec1>& categories) {
    int32_t largest = 0;
    for (const TMyRec1& category : categories)
        largest = std::max(largest, category.id);
    return largest + 1;
}

void AddCategory(TDM& dm, std::vector<TMyRec1>& categories, const std::string& name, int32_t icon) {
    TMyRec1 category;
    category.id = NewCategoryId(categories);
    category.strName = TrimName(name);
    category.intImg = icon;
    category.intPos = static_cast<int32_t>(categories.size()) + 1;
    InTransaction(dm, [&](TTableCursor&) { AppendCategoryRow(dm, category); });
    categories.push_back(std::move(category));
}

void AppendCategoryRow(TDM& dm, const TMyRec1& category) {
    TTableCursor& table = dm.ADOTable1;
    OpenTable(table, "t_category");
    table.Append();
    table.SetInteger("id", category.id);
    table.SetString("strName", category.strName);
    table.SetInteger("intImg", category.intImg);
    table.SetInteger("intPos", category.intPos);
    table.Post();
    table.Close();
}

const TMyRec1* FindCategoryByName(const std::vector<TMyRec1>& categories, const std::string& name) {
    const std::string wanted = TrimName(name);
    for (const TMyRec1& category : categories)
        if (category.strName == wanted)
            return &category;
    for (const TMyRec1& category : categories)
        if (SameName(category.strName, wanted))
            return &category;
    return nullptr;
}

void EditCategory(TDM& dm, std::vector<TMyRec1>& categories, size_t row, const std::string& name,
                  int32_t icon) {
    TMyRec1& category = categories.at(row);
    const std::string trimmed = TrimName(name);
    InCategoryTransaction(dm, [&](TTableCursor& table) {
        LocateCategory(table, category.id);
        table.Edit();
        table.SetString("strName", trimmed);
        table.SetInteger("intImg", icon);
        table.Post();
    });
    category.strName = trimmed;
    category.intImg = icon;
}

bool CategoryInUse(TDM& dm, int32_t id) {
    TTableCursor& table = dm.ADOTable1;
    OpenTable(table, "t_task");
    const bool used = table.Locate("intCategory", id);
    table.Close();
    return used;
}

void DeleteCategory(TDM& dm, std::vector<TMyRec1>& categories, size_t row) {
    const int32_t id = categories.at(row).id;
    InCategoryTransaction(dm, [&](TTableCursor& table) {
        // A row another program already removed needs no deleting; the later ones still
        // close the gap.
        if (table.Locate("id", id))
            table.Delete();
        for (size_t k = row + 1; k < categories.size(); ++k) {
            LocateCategory(table, categories[k].id);
            table.Edit();
            table.SetInteger("intPos", table.AsInteger("intPos") - 1);
            table.Post();
        }
    });
    categories.erase(categories.begin() + static_cast<std::ptrdiff_t>(row));
    for (size_t k = row; k < categories.size(); ++k)
        --categories[k].intPos;
}

void SwapWithNext(TDM& dm, std::vector<TMyRec1>& categories, size_t row) {
    TMyRec1& upper = categories.at(row);
    TMyRec1& lower = categories.at(row + 1);
    // Each moves one place from its own stored position, so positions that another program
    // left out of step are not made worse.
    const int32_t upperPos = upper.intPos + 1;
    const int32_t lowerPos = lower.intPos - 1;
    InCategoryTransaction(dm, [&](TTableCursor& table) {
        WritePosition(table, upper.id, upperPos);
        WritePosition(table, lower.id, lowerPos);
    });
    upper.intPos = upperPos;
    lower.intPos = lowerPos;
    std::swap(upper, lower);
}
