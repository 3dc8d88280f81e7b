// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/db/TableAccess.h"

void OpenTable(TTableCursor& table, const char* name) {
    table.Close();
    table.SetTableName(name);
    table.Open();
}
