// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/DmUnit.h"

#include "store/db/Backup.h"
#include "store/db/Schema.h"
#include "store/db/StoreError.h"
#include "store/records/TaskUid.h"
#include "store/sync/SyncState.h"

#include <filesystem>

TDM* DM = nullptr;

TDM::TDM(TProgramFolders folders) : folders_(std::move(folders)) {
    ADOTable1.SetDatabasePath(
        (std::filesystem::path(folders_.data) / "db" / "data.db").lexically_normal().string());
}

TDM::TDM(const std::string& programFolder) : TDM(TProgramFolders{programFolder, programFolder}) {}

void TDM::DataModuleCreate() {
    const std::string& path = ADOTable1.DatabasePath();
    // A first start has no database yet: give it one with a few categories, so that the
    // first task can be saved. An existing file is never replaced, and a file that is gone
    // while its backups or damaged copies are still there is lost, not new: an empty file
    // in its place would hide that.
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) {
        if (DatabaseWasHere(path))
            throw StoreError("The database " + path +
                             " is missing, but its backups or damaged copies are in " +
                             std::filesystem::path(path).parent_path().string() +
                             ". Start Tolvek Organizer to restore a backup.");
        CreateDatabase(path);
    }
    // A file of an older version gets its tasks' UIDs here. One that cannot be read or written
    // now is reported by the load or the write that needs it; its tasks answer with their
    // legacy UIDs meanwhile.
    try {
        BringTaskUidsInStep(*this);
    } catch (const StoreError&) {
    }
    // The sync's tables and the triggers that note every change of a task, so that a change
    // made by any road reaches the server at the next sync.
    try {
        CreateSyncTables(*this);
    } catch (const StoreError&) {
    }
}

std::string TDM::SoundFolder() const {
    return (std::filesystem::path(folders_.resources) / "sound").lexically_normal().string();
}

std::string TDM::SoundFile(const std::string& name) const {
    // A task's sound is a file of the sound folder: a name that reaches elsewhere (a path
    // from an older import, say) is cut to its file name.
    return (std::filesystem::path(SoundFolder()) / std::filesystem::path(name).filename()).string();
}

std::string TDM::HelpFile() const {
    return (std::filesystem::path(folders_.resources) / "help" / "Tolvek Organizer Help.html")
        .lexically_normal()
        .string();
}

void TDM::RequireWritable() const {
    if (!refusal_.empty())
        throw StoreError(refusal_);
}

int32_t TDM::NextId() {
    if (ADOTable1.RecordCount() < 1)
        return 1;
    ADOTable1.SetSort("id ASC");
    ADOTable1.Last();
    const int32_t id = ADOTable1.AsInteger("id") + 1;
    ADOTable1.SetSort("");
    return id;
}
