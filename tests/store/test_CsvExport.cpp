// SPDX-License-Identifier: GPL-3.0-or-later

#include "tests/store/TestDb.h"

#include "store/dates/dateUnit.h"
#include "store/exchange/CsvExport.h"
#include "store/records/TaskWrite.h"

namespace {

// Reads RFC 4180 text back into records of fields, as a spreadsheet would.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& field = records.back().back();
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            records.back().emplace_back();
        } else if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.emplace_back(1);
            ++i;
        } else {
            field += c;
        }
    }
    records.pop_back(); // after the last record's line break
    return records;
}

class CsvExportTest : public TempDatabase {};

TEST_F(CsvExportTest, HeaderThenOneRecordPerTaskWithQuotedFieldsKeptWhole) {
    TTaskEdit plain;
    plain.strName = "Plain";
    plain.intCategory = 2;
    plain.dateDue = EncodeDate(2030, 1, 1);
    InsertTask(Dm(), plain);
    TTaskEdit full;
    full.strName = "Say \"hi\", then leave";
    full.intCategory = 1;
    full.intPriority = 0;
    full.intDue = 1;
    full.dateDue = EncodeDate(2024, 2, 29);
    full.intReminder = 1;
    full.datetimeReminder = EncodeDateTime({{2024, 2, 28}, 7, 5, 30});
    full.intSound = 1;
    full.strSoundFile = "bell, loud.wav";
    full.strNote = "line one\r\nline two\nÜmlaut, 日本語; \"quoted\"";
    WriteDoneMark(Dm(), InsertTask(Dm(), full), 1);

    const std::string text = ExportCsv(Dm(), 0);
    EXPECT_EQ(text.rfind("Name,Category,", 0), 0u); // no byte-order mark before the header
    const auto records = ReadCsv(text);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0], (std::vector<std::string>{"Name", "Category", "Priority", "Done",
                                                    "Due date", "Reminder", "Sound", "Note"}));
    // No due date, reminder, sound or note: empty cells, whatever the dates stored beside.
    EXPECT_EQ(records[1],
              (std::vector<std::string>{"Plain", "Work", "Normal", "no", "", "", "", ""}));
    EXPECT_EQ(records[2],
              (std::vector<std::string>{"Say \"hi\", then leave", "Personal", "High", "yes",
                                        "2024-02-29", "2024-02-28 07:05", "bell, loud.wav",
                                        "line one\r\nline two\nÜmlaut, 日本語; \"quoted\""}));
    EXPECT_NE(text.find("\"Say \"\"hi\"\", then leave\""), std::string::npos);
}

TEST_F(CsvExportTest, ASoundSwitchedOffLeavesItsCellEmpty) {
    TTaskEdit task;
    task.strName = "Quiet";
    task.intCategory = 1;
    task.intReminder = 1;
    task.datetimeReminder = EncodeDateTime({{2024, 5, 6}, 23, 59, 0});
    task.strSoundFile = "ding.wav";
    InsertTask(Dm(), task);
    EXPECT_EQ(ReadCsv(ExportCsv(Dm(), 0)).at(1),
              (std::vector<std::string>{"Quiet", "Personal", "Normal", "no", "", "2024-05-06 23:59",
                                        "", ""}));
}

TEST_F(CsvExportTest, ACategoryGivesItsTasksOnlyAndAnEmptyOneTheHeader) {
    AddTask(1, "personal", 1);
    AddTask(2, "work", 2);
    const auto work = ReadCsv(ExportCsv(Dm(), 2));
    ASSERT_EQ(work.size(), 2u);
    EXPECT_EQ(work[1][0], "work");
    EXPECT_EQ(ReadCsv(ExportCsv(Dm(), 3)).size(), 1u);
}

} // namespace
