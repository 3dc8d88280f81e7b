// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/db/TableCursor.h"
#include "store/settings/ProgramFolders.h"

#include <cstdint>
#include <string>

// The data module: owns the one table cursor through which every window reaches the
// database file db/data.db in the data folder, and knows where the sounds and the help are.
class TDM {
public:
    // The cursor works on db/data.db in folders.data; sound/ and help/ are in
    // folders.resources.
    explicit TDM(TProgramFolders folders);
    // One folder that holds db/, sound/ and help/, as a program run from its checkout has.
    explicit TDM(const std::string& programFolder);

    // Creates the database when the file is missing and no database was ever there
    // (DatabaseWasHere); throws StoreError when it cannot or when one was. Then brings the
    // tasks' UIDs in step with the tasks when it can (see BringTaskUidsInStep), and gives the
    // file the sync's tables (see CreateSyncTables).
    void DataModuleCreate();

    // The key for a new row of the table the cursor has open: 1 for an empty table,
    // otherwise the highest id plus 1. Call it just before Append.
    int32_t NextId();

    const TProgramFolders& Folders() const { return folders_; }

    // After a load that failed, the records show nothing of the file: until a load succeeds,
    // every write is refused with the load's error (RequireWritable throws it).
    void RefuseWrites(const std::string& reason) { refusal_ = reason; }
    void AllowWrites() { refusal_.clear(); }
    void RequireWritable() const;
    bool Writable() const { return refusal_.empty(); }
    // The folder of the reminder sounds, and the path of one of them by its file name.
    std::string SoundFolder() const;
    std::string SoundFile(const std::string& name) const;
    // The help page.
    std::string HelpFile() const;
    const std::string& DatabasePath() const { return ADOTable1.DatabasePath(); }

    TTableCursor ADOTable1;

private:
    TProgramFolders folders_;
    std::string refusal_;
};

// The data module of the running program, created first at start-up.
extern TDM* DM;
