// SPDX-License-Identifier: GPL-3.0-or-later
//
// Feeds tolvek-tasks import generated and mutated calendar files, one process each, and
// fails on a crash (a signal, or a sanitizer's report) or on a database that a refused import
// changed. Bounded: it stops after a number of cases or seconds, whichever comes first.
//
//   import_fuzz TOLVEK_TASKS SEED_FOLDER [CASES [SECONDS [SEED]]]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <spawn.h>
#include <sqlite3.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Exit codes the sanitizers are told to use, so that a report is never taken for a refusal.
constexpr int AddressSanitizerExit = 86;
constexpr int UndefinedSanitizerExit = 87;

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Every row of every table, in order: what a refused import must leave as it was.
std::string Dump(const fs::path& database) {
    sqlite3* db = nullptr;
    std::string rows;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        for (const char* sql :
             {"SELECT * FROM t_task ORDER BY id", "SELECT * FROM t_note ORDER BY id",
              "SELECT * FROM t_category ORDER BY id"}) {
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) {
                rows += "cannot read: " + std::string(sqlite3_errmsg(db));
                continue;
            }
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                    const auto* text = sqlite3_column_text(stmt, c);
                    rows += text ? reinterpret_cast<const char*>(text) : "NULL";
                    rows += '|';
                }
                rows += '\n';
            }
            sqlite3_finalize(stmt);
        }
    }
    sqlite3_close(db);
    return rows;
}

class TGenerator {
public:
    TGenerator(unsigned seed, std::vector<std::string> seeds)
        : random_(seed), seeds_(std::move(seeds)) {}

    std::string Next() {
        std::string text =
            Pick(3) == 0 && !seeds_.empty() ? seeds_[Pick(seeds_.size())] : Calendar();
        const size_t mutations = Pick(4);
        for (size_t k = 0; k < mutations; ++k)
            Mutate(text);
        return text;
    }

private:
    size_t Pick(size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(random_);
    }
    template <typename T> const T& OneOf(const std::vector<T>& items) {
        return items[Pick(items.size())];
    }

    std::string Time() {
        char text[32];
        std::snprintf(text, sizeof text, "%04zu%02zu%02zuT%02zu%02zu%02zu%s", 1990 + Pick(80),
                      1 + Pick(12), 1 + Pick(31), Pick(24), Pick(60), Pick(60), Pick(2) ? "Z" : "");
        return text;
    }
    std::string Words() {
        static const std::vector<std::string> words = {
            "milk",          "=HYPERLINK(\"x\")", "Jürgen", "日本", "a\\,b",
            "semi\\;colon",  "line\\nbreak",      "   ",    "",     "\xF0\x9F\x93\x85",
            "%2Fdev%2Fzero", "@SUM(1)",           "-1",     "\xC3"};
        std::string text;
        for (size_t k = 1 + Pick(4); k > 0; --k)
            text += OneOf(words) + " ";
        return text;
    }
    std::string Alarm() {
        std::string text =
            "BEGIN:VALARM\r\nACTION:" + OneOf<std::string>({"AUDIO", "DISPLAY", "EMAIL", "X-Y"}) +
            "\r\n";
        text +=
            Pick(2)
                ? "TRIGGER;VALUE=DATE-TIME:" + Time() + "\r\n"
                : "TRIGGER" + OneOf<std::string>({"", ";RELATED=END", ";RELATED=START"}) + ":" +
                      OneOf<std::string>({"-PT15M", "PT0S", "-P1D", "P1W", "-PT99999H", "bad"}) +
                      "\r\n";
        if (Pick(2))
            text += "ATTACH:" +
                    OneOf<std::string>({"file:///usr/share/sounds/ding.wav", "file:///tmp/fifo",
                                        "file:///x/%2Fdev%2Fzero", "http://example.invalid/a.wav",
                                        "..%2F..%2Fetc%2Fpasswd", ""}) +
                    "\r\n";
        return text + "END:VALARM\r\n";
    }
    std::string Todo() {
        std::string text = "BEGIN:VTODO\r\nUID:" + std::to_string(Pick(100000)) + "\r\n";
        if (Pick(4))
            text += "SUMMARY:" + Words() + "\r\n";
        if (Pick(2))
            text += "DESCRIPTION:" + Words() + "\r\n";
        for (size_t k = Pick(3); k > 0; --k)
            text += "CATEGORIES:" + Words() + "\r\n";
        if (Pick(2))
            text += "PRIORITY:" + std::to_string(static_cast<int>(Pick(12)) - 1) + "\r\n";
        if (Pick(2))
            text += OneOf<std::string>(
                        {"DUE:", "DUE;VALUE=DATE:2024", "DUE;TZID=Europe/Berlin:", "DTSTART:"}) +
                    Time() + "\r\n";
        if (Pick(3) == 0)
            text += "STATUS:" + OneOf<std::string>({"COMPLETED", "NEEDS-ACTION", "X"}) + "\r\n";
        for (size_t k = Pick(3); k > 0; --k)
            text += Alarm();
        return text + "END:VTODO\r\n";
    }
    std::string Calendar() {
        std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//fuzz//EN\r\n";
        for (size_t k = Pick(6); k > 0; --k)
            text += Todo();
        return text + "END:VCALENDAR\r\n";
    }

    void Mutate(std::string& text) {
        if (text.empty()) {
            text = Calendar();
            return;
        }
        const size_t at = Pick(text.size());
        switch (Pick(9)) {
        case 0: // flip a byte
            text[at] = static_cast<char>(Pick(256));
            break;
        case 1: // cut the file short
            text.resize(at);
            break;
        case 2: // drop a piece
            text.erase(at, Pick(200));
            break;
        case 3: // repeat a piece
            text.insert(at, text.substr(at, Pick(300)));
            break;
        case 4: { // components nested deep, closed or not
            const size_t depth = OneOf<size_t>({10, 63, 64, 65, 500, 20000, 300000});
            std::string nest;
            for (size_t k = 0; k < depth; ++k)
                nest += "BEGIN:X-A\r\n";
            if (Pick(2))
                for (size_t k = 0; k < depth; ++k)
                    nest += "END:X-A\r\n";
            text.insert(at, nest);
            break;
        }
        case 5: // a very long line
            text.insert(at, "X-LONG:" + std::string(1 + Pick(200000), 'y') + "\r\n");
            break;
        case 6: // a folded line
            text.insert(at, "\r\n ");
            break;
        case 7: // an end of another name
            text.insert(at, "\r\nEND:" + OneOf<std::string>({"VTODO", "VCALENDAR", "VALARM", "X"}) +
                                "\r\n");
            break;
        default: // odd bytes
            text.insert(at, std::string(1 + Pick(8), static_cast<char>(Pick(256))));
            break;
        }
    }

    std::mt19937 random_;
    std::vector<std::string> seeds_;
};

// Runs tolvek-tasks import on the file; the wait status.
int Import(const std::string& program, const fs::path& file, const fs::path& log) {
    std::vector<std::string> words{program, "import", file.string()};
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: import_fuzz TOLVEK_TASKS SEED_FOLDER [CASES [SECONDS [SEED]]]\n";
        return 2;
    }
    const std::string program = argv[1];
    const size_t cases = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1000;
    const auto limit = std::chrono::seconds(argc > 4 ? std::strtol(argv[4], nullptr, 10) : 300);
    const unsigned seed =
        argc > 5 ? static_cast<unsigned>(std::strtoul(argv[5], nullptr, 10)) : 20261209;

    const fs::path folder = fs::temp_directory_path() / ("tolvek-fuzz-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "home");
    fs::create_directories(folder / "run");
    fs::permissions(folder / "run", fs::perms::owner_all);
    setenv("TOLVEK_HOME", (folder / "home").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (folder / "run").c_str(), 1);
    setenv("ASAN_OPTIONS", ("exitcode=" + std::to_string(AddressSanitizerExit)).c_str(), 1);
    setenv("UBSAN_OPTIONS",
           ("halt_on_error=1:print_stacktrace=1:exitcode=" + std::to_string(UndefinedSanitizerExit))
               .c_str(),
           1);
    const fs::path database = folder / "home" / "db" / "data.db";

    std::vector<std::string> seeds;
    for (const auto& entry : fs::directory_iterator(argv[2]))
        if (entry.path().extension() == ".ics")
            seeds.push_back(ReadAll(entry.path()));
    TGenerator generator(seed, seeds);
    std::cout << "seed " << seed << "\n";

    const auto start = std::chrono::steady_clock::now();
    size_t run = 0, imported = 0, refused = 0, failed = 0;
    const fs::path input = folder / "case.ics", log = folder / "stderr.txt";
    for (; run < cases && std::chrono::steady_clock::now() - start < limit; ++run) {
        // A fresh database now and then, so that it does not grow with every import.
        if (run % 100 == 0) {
            fs::remove_all(folder / "home" / "db");
            if (Import(program, "/dev/null", log) == -1)
                return 1;
        }
        const std::string text = generator.Next();
        std::ofstream(input, std::ios::binary | std::ios::trunc) << text;
        const std::string before = Dump(database);
        const int status = Import(program, input, log);
        const std::string report = ReadAll(log);
        std::string fault;
        if (!WIFEXITED(status))
            fault = "ended by signal " + std::to_string(WTERMSIG(status));
        else if (WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 1)
            fault = "exit code " + std::to_string(WEXITSTATUS(status));
        else if (report.find("Sanitizer") != std::string::npos ||
                 report.find("runtime error") != std::string::npos)
            fault = "a sanitizer report";
        else if (WEXITSTATUS(status) == 1 && Dump(database) != before)
            fault = "a refused import changed the database";
        if (fault.empty()) {
            ++(WEXITSTATUS(status) == 0 ? imported : refused);
            continue;
        }
        ++failed;
        const fs::path kept =
            fs::temp_directory_path() /
            ("tolvek-fuzz-case-" + std::to_string(seed) + "-" + std::to_string(run) + ".ics");
        fs::copy_file(input, kept, fs::copy_options::overwrite_existing);
        std::cout << "case " << run << ": " << fault << "; the file is kept as " << kept << "\n"
                  << report.substr(0, 4000) << "\n";
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << run << " cases in " << seconds << " s: " << imported << " imported, " << refused
              << " refused" << (run < cases ? " (stopped at the time limit)" : "") << "\n";
    std::cout << (run - failed) << " passed, " << failed << " failed\n";
    fs::remove_all(folder);
    return failed == 0 && run > 0 ? 0 : 1;
}
