// SPDX-License-Identifier: GPL-3.0-or-later

// Writes to a database through the store without end, for the crash test: tasks with notes
// are added, edited and deleted, categories added, moved and deleted. Before each write it
// prints "B <write>" and after the write returned "D <write>" (with a new row's id), each line
// flushed, so that the test that kills it knows which writes took.

#include "store/DmUnit.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskWrite.h"

#include <cstdio>
#include <random>
#include <string>

namespace {

void Say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string NoteOf(const std::string& name) {
    return "note of " + name + "\r\nits second line";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: crash_writer PROGRAM_FOLDER SEED\n", stderr);
        return 2;
    }
    TDM dm(argv[1]);
    dm.DataModuleCreate();
    DM = &dm;
    std::mt19937 random(static_cast<unsigned>(std::stoul(argv[2])));
    const auto pick = [&](size_t count) { return static_cast<size_t>(random() % count); };
    for (long round = 0;; ++round) {
        std::vector<TMyRec2> tasks = ReadAllTasks(dm);
        std::vector<TMyRec1> categories = LoadCategories(dm);
        std::string name = "t";
        name.append(argv[2]).append("-").append(std::to_string(round));
        const unsigned choice = random() % 10;
        if (choice < 4 || tasks.empty()) {
            TTaskEdit task;
            task.strName = name;
            task.intCategory = categories[pick(categories.size())].id;
            if (random() % 2)
                task.strNote = NoteOf(name);
            Say("B add " + std::to_string(task.intCategory) + " " + (task.strNote ? "1" : "0") +
                " " + name);
            Say("D add " + std::to_string(InsertTask(dm, task)));
        } else if (choice < 6) {
            const TMyRec2& old = tasks[pick(tasks.size())];
            TTaskEdit task;
            task.strName = name;
            task.intCategory = categories[pick(categories.size())].id;
            if (random() % 2)
                task.strNote = NoteOf(name);
            Say("B edit " + std::to_string(old.id) + " " + std::to_string(task.intCategory) + " " +
                (task.strNote ? "1" : "0") + " " + name);
            UpdateTask(dm, old.id, task);
            Say("D edit");
        } else if (choice < 8) {
            const int32_t id = tasks[pick(tasks.size())].id;
            Say("B del " + std::to_string(id));
            DeleteTask(dm, id);
            Say("D del");
        } else if (choice == 8 && categories.size() > 1) {
            const size_t row = pick(categories.size() - 1);
            Say("B swap " + std::to_string(categories[row].id) + " " +
                std::to_string(categories[row + 1].id));
            SwapWithNext(dm, categories, row);
            Say("D swap");
        } else if (categories.size() < 10) {
            const std::string category = std::string("c").append(name);
            Say("B catadd " + category);
            AddCategory(dm, categories, category, 1);
            Say("D catadd " + std::to_string(categories.back().id));
        } else {
            for (size_t row = 0; row < categories.size(); ++row)
                if (!CategoryInUse(dm, categories[row].id)) {
                    Say("B catdel " + std::to_string(categories[row].id));
                    DeleteCategory(dm, categories, row);
                    Say("D catdel");
                    break;
                }
        }
    }
}
