// SPDX-License-Identifier: GPL-3.0-or-later
// tolvek-tasks sync against a real server, with python3-caldav as the other device: a first
// sync both ways, the round trip of another program's to-do, and what other sync clients lose.
#include "store/instance/InstanceSocket.h"
#include "store/records/TaskTable.h"
#include "store/sync/SyncMerge.h"
#include "tests/SocketListener.h"
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

    const TProgramOutput dry = Sync({"--dry-run"});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.out, "50 up, 50 down, 0 conflicts, 0 deleted, 0 held (a dry run: nothing was "
                       "changed)\n");
    EXPECT_EQ(Local().size(), 50u);
    EXPECT_EQ(Todos(work).size(), 25u);
    ExpectSync("50 up, 50 down, 0 conflicts, 0 deleted, 0 held");
    EXPECT_EQ(Local().size(), 100u);
    ExpectSameOnBothSides({work, home});
    EXPECT_EQ(Todos(work).size(), 50u);
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
}

TEST_F(SyncCases, AChosenCategoryWithoutAListGetsOneOnTheServer) {
    const std::string mine = Unique("Mine");
    Import(CalendarOf({{"In a category of mine", mine}}));
    const TProgramOutput setup =
        Tasks({"sync", "--setup", Server().Url(), "--user", User(), "--password-command",
               "cat '" + (folder_ / "password").string() + "'", "--lists", mine});
    EXPECT_EQ(setup.status, 0) << setup.err;
    EXPECT_NE(setup.out.find("Made the list \"" + mine + "\" on the server."), std::string::npos)
        << setup.out;
    ExpectSync("1 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    const QJsonArray collections =
        QJsonDocument::fromJson(QByteArray::fromStdString(Device({"collections"}))).array();
    int found = 0;
    for (const QJsonValue& collection : collections)
        if (collection.toObject()["name"].toString().toStdString() == mine) {
            ++found;
            // Xandikos takes every kind whatever MKCALENDAR asks.
            if (Server().Kind() == "radicale") {
                EXPECT_EQ(collection.toObject()["components"].toArray(), QJsonArray{"VTODO"});
            }
        }
    EXPECT_EQ(found, 1);
    ASSERT_EQ(Todos(mine).size(), 1u);
    EXPECT_EQ(Todos(mine).front().todo.task.name, "In a category of mine");
}

TEST_F(SyncCases, ASetupWithoutATerminalTakesEveryTaskListOfTheServer) {
    const std::string mine = MakeList(Unique("Mine"));
    MakeList("personal");
    const TProgramOutput setup =
        Tasks({"sync", "--setup", Server().Url(), "--user", User(), "--password-command",
               "cat '" + (folder_ / "password").string() + "'"});
    EXPECT_EQ(setup.status, 0) << setup.err;
    EXPECT_NE(setup.out.find(". " + mine + " (a new category)\n"), std::string::npos) << setup.out;
    EXPECT_NE(setup.out.find(". personal (category Personal)\n"), std::string::npos) << setup.out;
    int lists = 0;
    for (const QJsonValue& collection :
         QJsonDocument::fromJson(QByteArray::fromStdString(Device({"collections"}))).array()) {
        const QJsonArray kinds = collection.toObject()["components"].toArray();
        lists += kinds.isEmpty() || kinds.contains("VTODO");
    }
    EXPECT_NE(setup.out.find("\n" + std::to_string(lists) + " lists to sync."), std::string::npos)
        << setup.out;
}

TEST_F(SyncCases, ARunningOrganizerReloadsAfterASyncThatChangedSomethingHere) {
    const std::string work = MakeList(Unique("Work"));
    Device({"add", work, "--summary", "From the phone"});
    Setup(work);
    TSocketListener organizer;
    ASSERT_TRUE(organizer.Listen(InstanceSocketPath(Database().string())));
    const TProgramOutput dry = Sync({"--dry-run"});
    EXPECT_EQ(dry.out,
              "0 up, 1 down, 0 conflicts, 0 deleted, 0 held (a dry run: nothing was changed)\n");
    EXPECT_EQ(organizer.Receive(300), "nothing");
    TDM dm(Home().string());
    EXPECT_EQ(LoadCategories(dm).size(), 3u);
    ExpectSync("0 up, 1 down, 0 conflicts, 0 deleted, 0 held");
    EXPECT_EQ(organizer.Receive(3000), "reload\n");
    EXPECT_EQ(LoadCategories(dm).back().strName, work);
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    EXPECT_EQ(organizer.Receive(300), "nothing");
}

namespace {

// An hour from now, or long ago, as a LAST-MODIFIED line says it.
std::string LastModified(long long secondsFromNow) {
    const std::time_t when = std::time(nullptr) + secondsFromNow;
    char text[32];
    std::strftime(text, sizeof text, "LAST-MODIFIED:%Y%m%dT%H%M%SZ", std::gmtime(&when));
    return text;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

// The content lines of a to-do, unfolded, each with the components it is in.
std::vector<std::string> ContentLines(const std::string& text) {
    std::string unfolded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r')
            continue;
        if (text[i] == '\n' && i + 1 < text.size() && (text[i + 1] == ' ' || text[i + 1] == '\t')) {
            ++i;
            continue;
        }
        unfolded += text[i];
    }
    std::vector<std::string> lines, open;
    for (const std::string& line : Split(unfolded, '\n')) {
        if (line.empty())
            continue;
        if (line.starts_with("END:"))
            open.pop_back();
        std::string path;
        for (const std::string& component : open)
            path += component + "/";
        lines.push_back(path + " " + line);
        if (line.starts_with("BEGIN:"))
            open.push_back(line.substr(6));
    }
    return lines;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

class SyncFailureModes : public SyncCases {
protected:
    std::string UidOf(const std::string& name) {
        for (const TLocalCopy& task : Local())
            if (task.task.strName == name)
                return task.uid;
        ADD_FAILURE() << "no task " << name;
        return {};
    }
    const TServerCopy* Find(const std::vector<TServerCopy>& todos, const std::string& uid) {
        for (const TServerCopy& todo : todos)
            if (todo.uid == uid)
                return &todo;
        return nullptr;
    }
    void Sql(const std::string& sql) { TSqlFile(Database().string()).Exec(sql); }
    void ExpectTasks(const std::vector<std::string>& args) {
        const TProgramOutput run = Tasks(args);
        EXPECT_EQ(run.status, 0) << run.err;
    }
};

// 1. Duplicates: a task sent twice, a href spelled two ways.
TEST_F(SyncFailureModes, AnUploadTheSyncDidNotKeepIsNoDuplicate) {
    const std::string work = MakeList(Unique("Work"));
    Import(CalendarOf({{"One", work}, {"Two", work}}));
    Setup(work);
    ExpectSync("2 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    // As a sync stopped right after the server took the upload, before it kept the answer:
    // once with the list's token gone by (the server's copy is met when the task is sent
    // again), once with the token of before (the copy comes in the list's changes).
    for (const char* token : {"strToken", "''"}) {
        Sql("UPDATE t_sync_task SET strEtag = '', strKept = '', strHref = '', intChanges = 1 "
            "WHERE idTask = (SELECT id FROM t_task WHERE strName = 'One');"
            "UPDATE t_sync_list SET strCtag = '', strToken = " +
            std::string(token));
        ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
        EXPECT_EQ(Todos(work).size(), 2u);
        EXPECT_EQ(Local().size(), 2u);
    }
    ExpectSameOnBothSides({work});
}

TEST_F(SyncFailureModes, AnHrefSpelledAnotherWayIsTheSameToDo) {
    const std::string work = MakeList(Unique("Work"));
    Device({"add", work, "--summary", "Odd name", "--uid", "odd-name", "--name", "a b+ü (1).ics"});
    Setup(work);
    ExpectSync("0 up, 1 down, 0 conflicts, 0 deleted, 0 held");
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    ExpectTasks({"edit", "uid:odd-name", "--name", "Odd name, edited"});
    ExpectSync("1 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    const std::vector<TServerCopy> todos = Todos(work);
    ASSERT_EQ(todos.size(), 1u);
    EXPECT_EQ(todos[0].todo.task.name, "Odd name, edited");
    EXPECT_EQ(Local().size(), 1u);
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
}

// 2. A first sync wiping one side: a list empty here and full there, and the other way round.
TEST_F(SyncFailureModes, AFirstSyncWipesNeitherSide) {
    const std::string here = MakeList(Unique("Full here")), there = MakeList(Unique("Full there"));
    Import(CalendarOf({{"Here 1", here}, {"Here 2", here}, {"Here 3", here}}));
    DeviceBatch({{"add", there, "--summary", "There 1"},
                 {"add", there, "--summary", "There 2"},
                 {"add", there, "--summary", "There 3"}});
    Setup(here + "," + there);
    ExpectSync("3 up, 3 down, 0 conflicts, 0 deleted, 0 held");
    EXPECT_EQ(Local().size(), 6u);
    EXPECT_EQ(Todos(here).size(), 3u);
    EXPECT_EQ(Todos(there).size(), 3u);
    ExpectSameOnBothSides({here, there});
}

// 3. A restored server, a new address.
TEST_F(SyncFailureModes, ARestoredServerIsNotReadAsDeletions) {
    const std::string work = MakeList(Unique("Work"));
    std::vector<std::pair<std::string, std::string>> tasks;
    for (int n = 0; n < 12; ++n)
        tasks.push_back({"Task " + std::to_string(n), work});
    Import(CalendarOf(tasks));
    Setup(work);
    ExpectSync("12 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    const fs::path backup = folder_ / "backup";
    ASSERT_TRUE(Server().Stop());
    fs::copy(Server().Folder(), backup, fs::copy_options::recursive);
    ASSERT_TRUE(Server().Start());
    Import(CalendarOf({{"After the backup 1", work}, {"After the backup 2", work}}));
    ExpectSync("2 up, 0 down, 0 conflicts, 0 deleted, 0 held");

    // The server comes back from its backup: what it lacks is held, not deleted here.
    ASSERT_TRUE(Server().Stop());
    fs::remove_all(Server().Folder() + "/collections");
    fs::remove_all(Server().Folder() + "/data");
    for (const auto& entry : fs::directory_iterator(backup))
        if (entry.path().filename() != "server.log")
            fs::copy(entry.path(), Server().Folder() + "/" + entry.path().filename().string(),
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    ASSERT_TRUE(Server().Start());
    const TProgramOutput held = Sync();
    EXPECT_EQ(held.status, 3) << held.out << held.err;
    EXPECT_TRUE(held.out.starts_with("0 up, 0 down, 0 conflicts, 0 deleted, 2 held\n")) << held.out;
    EXPECT_TRUE(Has(held.out, "\"After the backup 1\" deleted on the server")) << held.out;
    EXPECT_TRUE(Has(held.out, "restored")) << held.out;
    EXPECT_EQ(Local().size(), 14u);
    ExpectSync("2 up, 0 down, 0 conflicts, 0 deleted, 0 held", {"--keep"});
    EXPECT_EQ(Todos(work).size(), 14u);
    ExpectSameOnBothSides({work});
}

TEST_F(SyncFailureModes, ANewServerAddressHoldsDeletions) {
    const std::string work = MakeList(Unique("Work"));
    Import(CalendarOf({{"Stays", work}, {"Deleted there", work}, {"Also stays", work}}));
    Setup(work);
    ExpectSync("3 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    Device({"delete", work, UidOf("Deleted there")});
    // The same server reached by another name: to the sync, another address.
    std::string url = Server().Url();
    url.replace(url.find("127.0.0.1"), 9, "localhost");
    Setup(work, url);
    const TProgramOutput held = Sync();
    EXPECT_EQ(held.status, 3) << held.out << held.err;
    EXPECT_TRUE(Has(held.out, "\"Deleted there\" deleted on the server")) << held.out;
    EXPECT_TRUE(Has(held.out, "address changed")) << held.out;
    EXPECT_EQ(Local().size(), 3u);
    ExpectSync("0 up, 0 down, 0 conflicts, 1 deleted, 0 held", {"--confirm-deletions"});
    EXPECT_EQ(Local().size(), 2u);
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
}

// 4. Edits on both sides.
TEST_F(SyncFailureModes, AnEditOnBothSidesKeepsTheNewerAndLogsTheOther) {
    const std::string work = MakeList(Unique("Work"));
    Import(CalendarOf({{"Plan the trip", work}, {"Pack", work}}));
    Setup(work);
    ExpectSync("2 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    const std::string trip = UidOf("Plan the trip"), pack = UidOf("Pack");
    ExpectTasks({"edit", "uid:" + trip, "--name", "Plan the journey"});
    ExpectTasks({"edit", "uid:" + pack, "--name", "Pack the bags", "--high"});
    // The other device edits the trip an hour later, and the packing before this side did.
    DeviceBatch(
        {{"edit", work, trip, "--set", "SUMMARY:Plan the voyage", "--set", LastModified(3600)},
         {"edit", work, pack, "--set", "SUMMARY:Pack light", "--set",
          "DESCRIPTION:Only hand luggage", "--set", LastModified(-3600)}});
    ExpectSync("1 up, 2 down, 2 conflicts, 0 deleted, 0 held");

    const std::vector<TServerCopy> todos = Todos(work);
    ASSERT_TRUE(Find(todos, trip) && Find(todos, pack));
    EXPECT_EQ(Find(todos, trip)->todo.task.name, "Plan the voyage");
    EXPECT_EQ(Find(todos, pack)->todo.task.name, "Pack the bags");
    EXPECT_TRUE(Find(todos, pack)->todo.task.high);
    EXPECT_EQ(Find(todos, pack)->todo.task.note.value_or(""), "Only hand luggage");
    ExpectSameOnBothSides({work});

    const TProgramOutput log = Tasks({"sync", "--log"});
    EXPECT_EQ(log.status, 0) << log.err;
    std::vector<std::vector<std::string>> lines;
    for (const std::string& line : Split(log.out, '\n'))
        if (!line.empty())
            lines.push_back(Split(line, '\t'));
    ASSERT_EQ(lines.size(), 2u) << log.out;
    std::set<std::vector<std::string>> conflicts;
    for (const std::vector<std::string>& line : lines) {
        ASSERT_EQ(line.size(), 5u) << log.out;
        EXPECT_EQ(line[0].size(), 16u) << line[0];
        conflicts.insert({line[1], line[2], line[3], line[4]});
    }
    EXPECT_EQ(conflicts, (std::set<std::vector<std::string>>{
                             {"Plan the voyage", "name", "Plan the voyage", "Plan the journey"},
                             {"Pack the bags", "name", "Pack the bags", "Pack light"}}));
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
}

// 5. Deleted tasks coming back, edits never sent.
TEST_F(SyncFailureModes, DeletedTasksStayDeletedAndEditsGoUp) {
    const std::string work = MakeList(Unique("Work"));
    Import(CalendarOf({{"A", work}, {"B", work}, {"C", work}, {"D", work}}));
    Setup(work);
    ExpectSync("4 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    ExpectTasks({"delete", "uid:" + UidOf("A")});
    Device({"delete", work, UidOf("B")});
    ExpectTasks({"edit", "uid:" + UidOf("C"), "--name", "C edited"});
    ExpectSync("1 up, 0 down, 0 conflicts, 2 deleted, 0 held");
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    ASSERT_EQ(Todos(work).size(), 2u);
    ASSERT_EQ(Local().size(), 2u);
    ExpectSameOnBothSides({work});
}

// 6. A field cleared on one side.
TEST_F(SyncFailureModes, AFieldClearedOnOneSideClearsOnTheOther) {
    const std::string work = MakeList(Unique("Work"));
    const std::vector<std::string> full{"DUE;VALUE=DATE:20261224",
                                        "DESCRIPTION:Wrap them",
                                        "BEGIN:VALARM",
                                        "ACTION:AUDIO",
                                        "TRIGGER;VALUE=DATE-TIME:20261223T080000Z",
                                        "ATTACH:ding.wav",
                                        "END:VALARM"};
    Import(CalendarOf({{"Cleared here", work}, {"Cleared there", work}}, full));
    Setup(work);
    ExpectSync("2 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    ExpectTasks({"edit", "uid:" + UidOf("Cleared here"), "--no-due", "--no-note", "--no-remind"});
    Device({"edit", work, UidOf("Cleared there"), "--remove", "DUE", "--remove", "DESCRIPTION"});
    ExpectSync("1 up, 1 down, 0 conflicts, 0 deleted, 0 held");
    const std::vector<TServerCopy> todos = Todos(work);
    const TServerCopy* here = Find(todos, UidOf("Cleared here"));
    ASSERT_TRUE(here);
    EXPECT_FALSE(Has(here->text, "DUE")) << here->text;
    EXPECT_FALSE(Has(here->text, "DESCRIPTION")) << here->text;
    EXPECT_FALSE(Has(here->text, "VALARM")) << here->text;
    for (const TLocalCopy& task : Local())
        if (task.task.strName == "Cleared there") {
            EXPECT_EQ(task.task.intDue, 0);
            EXPECT_EQ(task.task.intMemo, 0);
            EXPECT_EQ(task.task.intReminder, 1);
        }
    ExpectSameOnBothSides({work});
}

// 7. An edit here racing a deletion there, and the other way round.
TEST_F(SyncFailureModes, AnEditAgainstADeletionEndsInOneSync) {
    const std::string work = MakeList(Unique("Work"));
    Import(CalendarOf({{"Edited here", work}, {"Edited there", work}}));
    Setup(work);
    ExpectSync("2 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    const std::string here = UidOf("Edited here"), there = UidOf("Edited there");
    ExpectTasks({"edit", "uid:" + here, "--name", "Edited here and deleted there"});
    Device({"delete", work, here});
    ExpectTasks({"delete", "uid:" + there});
    Device({"edit", work, there, "--set", "SUMMARY:Edited there and deleted here"});
    ExpectSync("1 up, 1 down, 0 conflicts, 0 deleted, 0 held");
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    EXPECT_TRUE(Named(Local(), "Edited here and deleted there"));
    EXPECT_TRUE(Named(Local(), "Edited there and deleted here"));
    ExpectSameOnBothSides({work});
}

// 8. A task moved to another list.
TEST_F(SyncFailureModes, AMovedTaskKeepsEveryField) {
    const std::string first = MakeList(Unique("First")), second = MakeList(Unique("Second"));
    Import(CalendarOf({{"Moved here", first}},
                      {"PRIORITY:1", "DUE;VALUE=DATE:20261224", "DESCRIPTION:Every field",
                       "BEGIN:VALARM", "ACTION:AUDIO", "TRIGGER;VALUE=DATE-TIME:20261223T080000Z",
                       "ATTACH:ding.wav", "END:VALARM"}));
    Device({"add", first, "--summary", "Moved there", "--uid", "moved-there", "--set",
            "RRULE:FREQ=WEEKLY", "--set", "X-OTHER-APP:kept", "--set", "DTSTART:20261201T090000Z",
            "--set", "DUE:20261201T170000Z"});
    Setup(first + "," + second);
    ExpectSync("1 up, 1 down, 0 conflicts, 0 deleted, 0 held");
    const std::string moved = UidOf("Moved here");
    ExpectTasks({"edit", "uid:" + moved, "--category", second});
    ExpectTasks({"edit", "uid:moved-there", "--category", second});
    ExpectSync("2 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    EXPECT_TRUE(Todos(first).empty());
    const std::vector<TServerCopy> todos = Todos(second);
    ASSERT_EQ(todos.size(), 2u);
    ASSERT_TRUE(Find(todos, "moved-there"));
    for (const char* kept : {"RRULE:FREQ=WEEKLY", "X-OTHER-APP:kept", "DTSTART:20261201T090000Z",
                             "DUE:20261201T170000Z"})
        EXPECT_TRUE(Has(Find(todos, "moved-there")->text, kept)) << kept;
    ExpectSameOnBothSides({first, second});

    // Moved back on the server: the same task here, in its first category again.
    const int id = Named(Local(), "Moved there")->task.id;
    Device({"move", second, "moved-there", first});
    ExpectSync("0 up, 1 down, 0 conflicts, 0 deleted, 0 held");
    const TLocalCopy* back = Named(Local(), "Moved there");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->task.id, id);
    EXPECT_EQ(back->task.strCategory, first);
    ExpectSameOnBothSides({first, second});
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
}

// 9. What another program keeps in a to-do.
TEST_F(SyncFailureModes, AForeignToDoComesBackWithOnlyItsSummaryChanged) {
    const std::string work = MakeList(Unique("Work"));
    const std::string foreign = Calendar(
        TodoBlock("foreign-round-trip", "As the phone wrote it",
                  {"LAST-MODIFIED:20240302T080000Z", "SEQUENCE:2", "DTSTART:20240310T090000Z",
                   "DUE:20240315T170000Z", "RRULE:FREQ=MONTHLY;BYMONTHDAY=15",
                   "RELATED-TO;RELTYPE=PARENT:parent@phone.example", "X-PHONE-COLOR:#ff8800",
                   "BEGIN:VALARM", "ACTION:DISPLAY", "DESCRIPTION:One hour before",
                   "TRIGGER;RELATED=END:-PT1H", "END:VALARM", "BEGIN:VALARM", "ACTION:AUDIO",
                   "TRIGGER;VALUE=DATE-TIME:20240314T080000Z", "ATTACH:chime.wav", "END:VALARM"}));
    Device({"add", work, "--ics", "-"}, foreign);
    Setup(work);
    ExpectSync("0 up, 1 down, 0 conflicts, 0 deleted, 0 held");
    const std::string before = Device({"show", work, "foreign-round-trip"});
    ExpectTasks({"edit", "uid:foreign-round-trip", "--name", "Renamed here"});
    ExpectSync("1 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    const std::string after = Device({"show", work, "foreign-round-trip"});

    const auto changing = [](const std::string& line) {
        for (const char* name : {" SUMMARY", " LAST-MODIFIED", " DTSTAMP", " SEQUENCE"})
            if (line.starts_with(std::string("VCALENDAR/VTODO/") + name))
                return true;
        return false;
    };
    std::vector<std::string> kept, keptAfter;
    for (const std::string& line : ContentLines(before))
        if (!changing(line))
            kept.push_back(line);
    bool renamed = false;
    for (const std::string& line : ContentLines(after)) {
        renamed |= line == "VCALENDAR/VTODO/ SUMMARY:Renamed here";
        if (!changing(line))
            keptAfter.push_back(line);
    }
    EXPECT_TRUE(renamed) << after;
    EXPECT_EQ(kept, keptAfter) << before << "\n----\n" << after;
    EXPECT_TRUE(Has(after, "SEQUENCE:3")) << after;
}

// 10. An invalid sync token, or a server that cannot be reached, is no empty server.
TEST_F(SyncFailureModes, ABadTokenOrAnUnreachableServerIsNoEmptyServer) {
    const std::string work = MakeList(Unique("Work"));
    Import(CalendarOf({{"One", work}, {"Two", work}, {"Three", work}}));
    Setup(work);
    ExpectSync("3 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    const std::string badToken = "UPDATE t_sync_list SET strCtag = '', strToken = "
                                 "'http://radicale.org/ns/sync/0123456789abcdef'";
    Sql(badToken);
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    EXPECT_EQ(Todos(work).size(), 3u);

    Device({"delete", work, UidOf("Three")});
    Sql(badToken);
    const TProgramOutput held = Sync();
    EXPECT_EQ(held.status, 3) << held.out << held.err;
    EXPECT_EQ(Local().size(), 3u);
    ExpectSync("0 up, 0 down, 0 conflicts, 1 deleted, 0 held", {"--confirm-deletions"});

    ASSERT_TRUE(Server().Stop());
    ExpectTasks({"edit", "uid:" + UidOf("One"), "--name", "One, edited offline"});
    const TProgramOutput offline = Sync();
    EXPECT_EQ(offline.status, 1);
    EXPECT_TRUE(Has(offline.err, "cannot be reached")) << offline.err;
    EXPECT_EQ(Local().size(), 2u);
    ASSERT_TRUE(Server().Start());
    ExpectSync("1 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    ExpectSameOnBothSides({work});
}

TEST_F(SyncFailureModes, AWrongPasswordChangesNothingOnEitherSide) {
    if (Server().User().empty())
        GTEST_SKIP() << "Xandikos asks for no password";
    const std::string work = MakeList(Unique("Work"));
    Import(CalendarOf({{"Here", work}}));
    Device({"add", work, "--summary", "There"});
    Setup(work);
    ExpectSync("1 up, 1 down, 0 conflicts, 0 deleted, 0 held");
    Import(CalendarOf({{"Not sent", work}}));
    Device({"add", work, "--summary", "Not received"});
    std::ofstream(folder_ / "password") << "not-the-password\n";
    const TProgramOutput refused = Sync();
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "tolvek-tasks: 127.0.0.1 did not accept the user name or the "
                           "password.\n");
    EXPECT_EQ(Local().size(), 3u);
    EXPECT_EQ(Todos(work).size(), 3u);
    EXPECT_FALSE(Named(Local(), "Not received"));
    const TProgramOutput status = Tasks({"sync", "--status"});
    EXPECT_TRUE(Has(status.out, "did not accept")) << status.out;
    EXPECT_TRUE(Has(status.out, "Changes waiting to be sent: 1")) << status.out;
}

// The safety valve: more than half of a list of ten or more at once waits for the user.
TEST_F(SyncFailureModes, ManyDeletionsAtOnceWaitForTheUser) {
    const std::string work = MakeList(Unique("Work"));
    std::vector<std::pair<std::string, std::string>> tasks;
    for (int n = 0; n < 12; ++n)
        tasks.push_back({"Task " + std::to_string(n), work});
    Import(CalendarOf(tasks));
    Setup(work);
    ExpectSync("12 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    std::vector<std::vector<std::string>> deletions;
    for (int n = 0; n < 7; ++n)
        deletions.push_back({"delete", work, UidOf("Task " + std::to_string(n))});
    DeviceBatch(deletions);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const TProgramOutput held = Sync();
        EXPECT_EQ(held.status, 3) << held.out << held.err;
        EXPECT_TRUE(held.out.starts_with("0 up, 0 down, 0 conflicts, 0 deleted, 7 held\n"))
            << held.out;
        EXPECT_TRUE(Has(held.out, "\"Task 3\" deleted on the server, in \"" + work +
                                      "\": the list would lose more than half of its tasks"))
            << held.out;
        EXPECT_EQ(Local().size(), 12u);
    }
    ExpectSync("7 up, 0 down, 0 conflicts, 0 deleted, 0 held", {"--keep"});
    EXPECT_EQ(Todos(work).size(), 12u);

    for (int n = 0; n < 8; ++n)
        ExpectTasks({"delete", "uid:" + UidOf("Task " + std::to_string(n))});
    const TProgramOutput held = Sync();
    EXPECT_EQ(held.status, 3) << held.out << held.err;
    EXPECT_TRUE(Has(held.out, "\"Task 5\" deleted here")) << held.out;
    EXPECT_EQ(Todos(work).size(), 12u);
    const TProgramOutput dry = Sync({"--confirm-deletions", "--dry-run"});
    EXPECT_EQ(dry.status, 2) << dry.err;
    const TProgramOutput preview = Sync({"--dry-run"});
    EXPECT_EQ(preview.status, 3) << preview.out << preview.err;
    EXPECT_TRUE(Has(preview.out, "8 held (a dry run: nothing was changed)")) << preview.out;
    ExpectSync("0 up, 0 down, 0 conflicts, 8 deleted, 0 held", {"--confirm-deletions"});
    EXPECT_EQ(Todos(work).size(), 4u);
    ExpectSameOnBothSides({work});
}

// A category renamed here renames its list; one deleted here is no longer synced, and the
// server keeps its list.
TEST_F(SyncFailureModes, ACategoryRenamedOrDeletedHere) {
    const std::string first = MakeList(Unique("First")), second = MakeList(Unique("Second"));
    Setup(first + "," + second);
    ExpectSync("0 up, 0 down, 0 conflicts, 0 deleted, 0 held");
    const std::string renamed = first + " renamed";
    Sql("UPDATE t_category SET strName = '" + renamed + "' WHERE strName = '" + first +
        "'; DELETE FROM t_category WHERE strName = '" + second + "'");
    const TProgramOutput run = Sync();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.err, "its category was deleted here")) << run.err;
    const std::string collections = Device({"collections"});
    EXPECT_TRUE(Has(collections, "\"" + renamed + "\"")) << collections;
    EXPECT_TRUE(Has(collections, "\"" + second + "\"")) << collections;
    const TProgramOutput status = Tasks({"sync", "--status"});
    EXPECT_TRUE(Has(status.out, second + ": not synced: its category was deleted here"))
        << status.out;
    // Chosen again, the list gets a category again.
    const TProgramOutput chosen = Tasks({"sync", "--lists", renamed + "," + second});
    EXPECT_EQ(chosen.status, 0) << chosen.err;
    Device({"add", second, "--summary", "In the second list"});
    ExpectSync("0 up, 1 down, 0 conflicts, 0 deleted, 0 held");
    EXPECT_EQ(Named(Local(), "In the second list")->task.strCategory, second);
}

TEST_F(SyncFailureModes, AListThatWouldNeedAnEleventhCategoryIsNotSynced) {
    std::vector<std::pair<std::string, std::string>> tasks;
    for (int n = 0; n < 7; ++n)
        tasks.push_back({"Filler", "Category " + std::to_string(n)});
    Import(CalendarOf(tasks));
    const std::string eleventh = MakeList(Unique("Eleventh"));
    Device({"add", eleventh, "--summary", "Never here"});
    Setup(eleventh);
    const TProgramOutput run = Sync();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.err, "eleventh category")) << run.err;
    EXPECT_FALSE(Named(Local(), "Never here"));
    const TProgramOutput status = Tasks({"sync", "--status"});
    EXPECT_TRUE(Has(status.out, eleventh + ": not synced: it would need an eleventh category"))
        << status.out;
}
