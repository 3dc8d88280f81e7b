// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/DmUnit.h"

// Closes the cursor, names the table and opens it: the start of every use of the cursor.
void OpenTable(TTableCursor& table, const char* name);

// Runs work inside one transaction of the data module's cursor: all of it is in the file
// when it returns, and nothing of it when it throws. The cursor is closed either way.
template <typename Work> void InTransaction(TDM& dm, Work work) {
    dm.RequireWritable();
    TTableCursor& table = dm.ADOTable1;
    table.StartTransaction();
    try {
        work(table);
        table.Close();
        table.Commit();
    } catch (...) {
        table.Close();
        table.Rollback();
        throw;
    }
}
