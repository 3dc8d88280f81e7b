// SPDX-License-Identifier: GPL-3.0-or-later
// tolvek-tasks sync against a real server, with python3-caldav as the other device: a first
// sync both ways, the round trip of another program's to-do, and what other sync clients lose.
#include "store/sync/SyncMerge.h"
#include "tests/SqlFile.h"
#include "tests/sync/SyncRig.h"

#include <map>
#include <set>

namespace {

// The lines of a to-do that give it the fields of the mapping, varied by n.
std::vector<std::string> FieldLines(int n) {
    std::vector<std::string> lines{"PRIORITY:" + std::string(n % 2 ? "1" : "5")};
    if (n % 3 == 0)
        lines.push_back("DUE;VALUE=DATE:202612" + std::to_string(10 + n % 18));
    if (n % 4 == 0)
        lines.push_back("STATUS:COMPLETED");
    if (n % 5 == 0)
        lines.push_back("DESCRIPTION:A note\\nof two lines " + std::to_string(n));
    if (n % 6 == 0)
        for (const char* line :
             {"BEGIN:VALARM", "ACTION:AUDIO", "TRIGGER;VALUE=DATE-TIME:20261201T090000Z",
              "ATTACH:ding.wav", "END:VALARM"})
            lines.push_back(line);
    return lines;
}

int CountOf(const std::vector<TLocalCopy>& tasks, const std::string& category) {
    return static_cast<int>(std::count_if(tasks.begin(), tasks.end(), [&](const TLocalCopy& t) {
        return t.task.strCategory == category;
    }));
}

} // namespace

class SyncCases : public SyncServerTest {
protected:
    // Every task of the lists' categories is a to-do of its list, once, with the same fields,
    // and the other way round.
    void ExpectSameOnBothSides(const std::vector<std::string>& lists) {
        const std::vector<TLocalCopy> local = Local();
        std::set<std::string> uids;
        for (const TLocalCopy& task : local)
            EXPECT_TRUE(uids.insert(task.uid).second) << "two tasks with " << task.uid;
        for (const std::string& list : lists) {
            std::map<std::string, TServerCopy> todos;
            for (TServerCopy& todo : Todos(list))
                EXPECT_TRUE(todos.emplace(todo.uid, todo).second) << "two to-dos " << todo.uid;
            EXPECT_EQ(static_cast<int>(todos.size()), CountOf(local, list)) << list;
            for (const TLocalCopy& task : local) {
                if (task.task.strCategory != list)
                    continue;
                const auto todo = todos.find(task.uid);
                ASSERT_NE(todo, todos.end()) << task.task.strName << " is not in " << list;
                const TSyncTask here = SyncTaskOf(task.task);
                for (TSyncField field : SyncFields) {
                    if (field == TSyncField::Category)
                        continue;
                    EXPECT_TRUE(SameField(field, here, todo->second.todo.task))
                        << task.task.strName << ": " << SyncFieldName(field) << " is \""
                        << SyncFieldText(field, here) << "\" here and \""
                        << SyncFieldText(field, todo->second.todo.task) << "\" there";
                }
            }
        }
    }

    const TLocalCopy* Named(const std::vector<TLocalCopy>& tasks, const std::string& name) {
        for (const TLocalCopy& task : tasks)
            if (task.task.strName == name)
                return &task;
        return nullptr;
    }
};

TEST_F(SyncCases, AFirstSyncBothWaysKeepsEveryTaskOfEachSideOnce) {
    const std::string work = MakeList(Unique("Work")), home = MakeList(Unique("Home"));
    std::string blocks;
    std::vector<std::vector<std::string>> device;
    for (int n = 0; n < 50; ++n) {
        const std::string list = n % 2 ? work : home;
        std::vector<std::string> lines = FieldLines(n);
        lines.push_back("CATEGORIES:" + list);
        blocks += TodoBlock("here-" + std::to_string(n), "Here " + std::to_string(n), lines);
        std::vector<std::string> add{"add",       list,
                                     "--summary", "There " + std::to_string(n),
                                     "--uid",     "there-" + std::to_string(n)};
        for (const std::string& line : FieldLines(n + 1)) {
            add.push_back("--set");
            add.push_back(line);
        }
        device.push_back(add);
    }
    Import(Calendar(blocks));
    DeviceBatch(device);
    Setup(work + "," + home);

    ExpectSync("50 up, 50 down, 0 conflicts, 0 deleted, 0 held");
    EXPECT_EQ(Local().size(), 100u);
    ExpectSameOnBothSides({work, home});
    EXPECT_EQ(Todos(work).size(), 50u);
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
}
