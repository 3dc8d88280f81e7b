// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/DmUnit.h"
#include "tests/SqlFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

// A program folder in a fresh temporary directory with a new database in db/data.db,
// and a second connection of its own for arranging and checking rows behind the cursor.
class TempDatabase : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("tolvek-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        dm_ = std::make_unique<TDM>(folder_.string());
        dm_->DataModuleCreate();
        DM = dm_.get();
    }
    void TearDown() override {
        dm_.reset();
        DM = nullptr;
        std::filesystem::remove_all(folder_);
    }

    std::string Path() const { return dm_->DatabasePath(); }

    // Runs SQL on its own connection; an error fails the test.
    void Exec(const std::string& sql) { TSqlFile(Path()).Exec(sql); }

    // The first column of the first row of a query, as text ("" when there is no row).
    std::string Query(const std::string& sql) { return TSqlFile(Path()).Value(sql); }

    void AddTask(int id, const std::string& name, int category, int done = 0, int memo = 0) {
        Exec("INSERT INTO t_task (id, strName, intCategory, intDone, intMemo) VALUES (" +
             std::to_string(id) + ", '" + name + "', " + std::to_string(category) + ", " +
             std::to_string(done) + ", " + std::to_string(memo) + ")");
    }

    TTableCursor& Table() { return dm_->ADOTable1; }
    TDM& Dm() { return *dm_; }

    std::filesystem::path folder_;
    std::unique_ptr<TDM> dm_;
    static inline int counter_ = 0;
};
