// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/DmUnit.h"

#include "store/db/Schema.h"
#include "store/db/StoreError.h"
#include "store/records/TaskUid.h"

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
    // first task can be saved. An existing file is never replaced.
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec)
        CreateDatabase(path);
    // A file of an older version gets its tasks' UIDs here. One that cannot be read or written
    // now is reported by the load or the write that needs it; its tasks answer with their
    // legacy UIDs meanwhile.
    try {
        BringTaskUidsInStep(*this);
    } catch (const StoreError&) {
    }
}

std::string TDM::SoundFolder() const {
    return (std::filesystem::path(folders_.resources) / "sound").lexically_normal().string();
}

std::string TDM::SoundFile(const std::string& name) const {
    return (std::filesystem::path(SoundFolder()) / name).string();
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
