// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/records/TaskUid.h"

#include "store/db/Schema.h"
#include "store/db/TableAccess.h"
#include "store/instance/InstanceSocket.h"
#include "store/records/TaskTable.h"

#include <array>
#include <cstdio>
#include <random>
#include <unordered_set>

namespace {

constexpr const char* UidTable = "t_uid";

// The UIDs kept in t_uid by task id, empty ones left out; nothing when the file lacks t_uid.
std::unordered_map<int32_t, std::string> KeptUids(TDM& dm) {
    std::unordered_map<int32_t, std::string> kept;
    TTableCursor& table = dm.ADOTable1;
    if (!table.HasTable(UidTable))
        return kept;
    OpenTable(table, UidTable);
    const int task = table.FieldIndex("idTask"), uid = table.FieldIndex("strUid");
    for (table.First(); !table.Eof(); table.Next()) {
        std::string text = table.TakeString(uid);
        if (!text.empty())
            kept.try_emplace(table.AsInteger(task), std::move(text));
    }
    table.Close();
    return kept;
}

std::vector<int32_t> TaskIds(TDM& dm) {
    std::vector<int32_t> ids;
    TTableCursor& table = dm.ADOTable1;
    OpenTable(table, "t_task");
    const int id = table.FieldIndex("id");
    for (table.First(); !table.Eof(); table.Next())
        ids.push_back(table.AsInteger(id));
    table.Close();
    return ids;
}

// Whether t_uid exists and holds one UID for every task, no two alike, and no other row.
bool InStep(TDM& dm) {
    TTableCursor& table = dm.ADOTable1;
    if (!table.HasTable(UidTable))
        return false;
    const std::unordered_map<int32_t, std::string> kept = KeptUids(dm);
    const std::vector<int32_t> ids = TaskIds(dm);
    OpenTable(table, UidTable);
    const int32_t rows = table.RecordCount();
    table.Close();
    std::unordered_set<std::string> distinct;
    for (const auto& [id, uid] : kept)
        distinct.insert(uid);
    if (static_cast<size_t>(rows) != ids.size() || kept.size() != ids.size() ||
        distinct.size() != kept.size())
        return false;
    for (int32_t id : ids)
        if (!kept.contains(id))
            return false;
    return true;
}

} // namespace

std::string NewTaskUid() {
    std::random_device source;
    std::array<unsigned char, 16> bytes;
    for (size_t i = 0; i < bytes.size(); i += 4) {
        const uint32_t word = source();
        for (size_t k = 0; k < 4; ++k)
            bytes[i + k] = static_cast<unsigned char>(word >> (8 * k));
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40); // version 4: random
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80); // the RFC 4122 variant
    std::string uid;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            uid += '-';
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
        uid += digits;
    }
    return uid;
}

std::string LegacyTaskUid(int32_t id, const std::string& databasePath) {
    return "task-" + std::to_string(id) + "-" + DatabasePathHash(databasePath) +
           "@tolvek-organizer";
}

std::unordered_map<int32_t, std::string> ReadTaskUids(TDM& dm) {
    std::unordered_map<int32_t, std::string> uids = KeptUids(dm);
    std::unordered_map<int32_t, std::string> result;
    for (int32_t id : TaskIds(dm)) {
        const auto kept = uids.find(id);
        result.try_emplace(id, kept != uids.end() ? std::move(kept->second)
                                                  : LegacyTaskUid(id, dm.DatabasePath()));
    }
    return result;
}

std::optional<int32_t> FindTaskByUid(TDM& dm, const std::string& uid) {
    std::optional<int32_t> found;
    for (const auto& [id, text] : ReadTaskUids(dm))
        if (text == uid && (!found || id < *found))
            found = id;
    return found;
}

void WriteTaskUid(TDM& dm, int32_t id, const std::string& uid) {
    TTableCursor& table = dm.ADOTable1;
    table.Execute(TaskUidTableSql);
    OpenTable(table, UidTable);
    if (table.Locate("idTask", id)) {
        table.Edit();
    } else {
        table.Append();
        table.SetInteger("idTask", id);
    }
    table.SetString("strUid", uid);
    table.Post();
    table.Close();
}

void DeleteTaskUid(TDM& dm, int32_t id) {
    TTableCursor& table = dm.ADOTable1;
    if (!table.HasTable(UidTable))
        return;
    OpenTable(table, UidTable);
    if (table.Locate("idTask", id))
        table.Delete();
    table.Close();
}

void BringTaskUidsInStep(TDM& dm) {
    if (InStep(dm))
        return;
    InTransaction(dm, [&](TTableCursor& table) {
        // Throws on a file the list could not show either: that one is left as it is.
        const std::vector<TMyRec2> tasks = ReadAllTasks(dm);
        table.Execute(TaskUidTableSql);
        std::unordered_set<int32_t> live;
        for (const TMyRec2& task : tasks)
            live.insert(task.id);
        OpenTable(table, UidTable);
        const int taskField = table.FieldIndex("idTask"), uidField = table.FieldIndex("strUid");
        for (table.First(); !table.Eof();) {
            if (!live.contains(table.AsInteger(taskField)) || table.AsString(uidField).empty())
                table.Delete();
            else
                table.Next();
        }
        table.Close();
        // A kept UID stays with its task, the oldest one of two with the same UID; the
        // others get the legacy UID, or a random one when that is taken.
        std::unordered_set<std::string> taken;
        std::vector<int32_t> without;
        const std::unordered_map<int32_t, std::string> kept = KeptUids(dm);
        for (const TMyRec2& task : tasks) {
            const auto found = kept.find(task.id);
            if (found == kept.end() || !taken.insert(found->second).second)
                without.push_back(task.id);
        }
        for (int32_t id : without) {
            std::string uid = LegacyTaskUid(id, dm.DatabasePath());
            while (!taken.insert(uid).second)
                uid = NewTaskUid();
            WriteTaskUid(dm, id, uid);
        }
    });
}
