// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/records/TaskUid.h"

#include "store/db/Schema.h"
#include "store/db/TableAccess.h"
#include "store/instance/InstanceSocket.h"
#include "store/records/TaskTable.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
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

// Whether t_uid exists and holds one UID for every task, no two alike, and no other row. It runs
// at every start, so it reads as little as it can: the number of tasks, the rows of t_uid and,
// asked of the database itself, which answers from the tasks' key, whether each row names a
// task. It holds no UID: a number made from each is enough to see that none is twice there.
// Two UIDs that make the same number answer "not in step", and bringing the UIDs in step then
// looks at the UIDs themselves.
bool InStep(TDM& dm) {
    TTableCursor& table = dm.ADOTable1;
    if (!table.HasTable(UidTable))
        return false;
    OpenTable(table, "t_task");
    const auto tasks = static_cast<size_t>(table.RecordCount());
    table.Close();
    if (table.QueryNumber(
            "SELECT COUNT(*) FROM t_uid WHERE idTask NOT IN (SELECT id FROM t_task)") != 0)
        return false;
    // Rows in the order of their task, each task once and each with a UID; as many as tasks.
    std::vector<size_t> hashes;
    hashes.reserve(tasks);
    bool inStep = true;
    OpenTable(table, UidTable);
    const int task = table.FieldIndex("idTask"), uid = table.FieldIndex("strUid");
    int64_t previous = std::numeric_limits<int64_t>::min();
    for (table.First(); inStep && !table.Eof(); table.Next()) {
        const std::string text = table.TakeString(uid);
        const int32_t owner = table.AsInteger(task);
        inStep = !text.empty() && owner > previous && hashes.size() < tasks;
        previous = owner;
        hashes.push_back(std::hash<std::string>()(text));
    }
    table.Close();
    if (!inStep || hashes.size() != tasks)
        return false;
    std::sort(hashes.begin(), hashes.end());
    return std::adjacent_find(hashes.begin(), hashes.end()) == hashes.end();
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
