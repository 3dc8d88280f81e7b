// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/SyncCommand.h"

#include "cli/TaskOutput.h"
#include "store/dates/DateText.h"
#include "store/db/StoreError.h"
#include "store/instance/InstanceSocket.h"
#include "store/records/TaskTable.h"
#include "store/sync/SyncAccount.h"
#include "store/sync/SyncState.h"
#include "sync/Credentials.h"
#include "sync/DavHref.h"
#include "sync/SyncRun.h"
#include "sync/SyncSetup.h"

#include <QCoreApplication>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string ReadLine() {
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

bool OnTerminal() {
    return isatty(STDIN_FILENO) == 1;
}

// The password typed on the terminal, not shown.
std::string AskPassword(const TSyncAccount& account) {
    std::cerr << "Password for " << account.user << " at " << account.server << ": " << std::flush;
    termios old{};
    const bool quiet = tcgetattr(STDIN_FILENO, &old) == 0;
    if (quiet) {
        termios silent = old;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    const std::string password = ReadLine();
    if (quiet)
        tcsetattr(STDIN_FILENO, TCSANOW, &old);
    std::cerr << "\n";
    return password;
}

std::string StoredPassword(const TSyncAccount& account) {
    if (!account.passwordCommand.empty()) {
        const TPasswordResult got = RunPasswordCommandNow(Q(account.passwordCommand));
        if (!got.Ok())
            throw StoreError(got.message.toStdString());
        return got.password.toStdString();
    }
    if (account.user.empty())
        return {};
    const TPasswordResult got = ReadSecretNow(SecretKey(Q(account.server), Q(account.user)));
    if (got.Ok())
        return got.password.toStdString();
    std::string hint;
    if (got.error == TSecretErrorKind::NotFound)
        hint = " Set the account up again: tolvek-tasks sync --setup.";
    if (got.error == TSecretErrorKind::NoSecretStore)
        hint = " Set the account up with --password-command CMD.";
    throw StoreError(got.message.toStdString() + hint);
}

TDavOptions Options(const TSyncAccount& account, const std::string& password, bool insecure) {
    TDavOptions options = AccountOptions(account, Q(password));
    options.allowInsecureHttp = options.allowInsecureHttp || insecure;
    return options;
}

TSyncAccount RequireAccount(TDM& dm) {
    std::optional<TSyncAccount> account = ReadSyncAccount(SyncSettingsPath(), dm.DatabasePath());
    if (!account)
        throw StoreError("No sync account is set up for " + dm.DatabasePath() +
                         ". Set one up with tolvek-tasks sync --setup URL --user NAME.");
    return *account;
}

TDiscovery Discover(TBlockingCalDav& client, const std::string& server) {
    const TDavResult<TDiscovery> found = client.Discover(UserAddress(Q(server)));
    if (!found.Ok())
        throw StoreError(found.error.message.toStdString());
    return found.value;
}

// The names the user picks from the numbered lists: numbers or names, comma-separated; all of
// them for an empty answer.
std::vector<std::string> AskLists(const QList<TCollection>& lists, std::ostream& out) {
    out << "Which lists to sync? Numbers or names, separated by commas (Enter for all): "
        << std::flush;
    std::vector<std::string> names;
    for (const std::string& word : SplitNames(ReadLine())) {
        const bool number = word.find_first_not_of("0123456789") == std::string::npos;
        const size_t at = number && word.size() < 6 ? std::stoul(word) : 0;
        names.push_back(at >= 1 && at <= static_cast<size_t>(lists.size())
                            ? lists[static_cast<qsizetype>(at - 1)].displayName.toStdString()
                            : word);
    }
    if (names.empty())
        for (const TCollection& list : lists)
            names.push_back(list.displayName.toStdString());
    return names;
}

void Chose(const std::vector<std::string>& hrefs, const std::vector<std::string>& made,
           std::ostream& out) {
    for (const std::string& name : made)
        out << "Made the list \"" << name << "\" on the server.\n";
    out << hrefs.size() << (hrefs.size() == 1 ? " list" : " lists")
        << " to sync. Run tolvek-tasks sync to sync now.\n";
}

int Setup(TDM& dm, const TArguments& args, std::ostream& out) {
    TSyncAccount account =
        ReadSyncAccount(SyncSettingsPath(), dm.DatabasePath()).value_or(TSyncAccount{});
    account.server = *args.setup;
    account.user = *args.user;
    account.passwordCommand = args.passwordCommand.value_or("");
    account.allowInsecureHttp = args.allowInsecureHttp;
    const bool ask = account.passwordCommand.empty() && !account.user.empty();
    const std::string password = !ask           ? StoredPassword(account)
                                 : OnTerminal() ? AskPassword(account)
                                                : ReadLine();
    TBlockingCalDav client(Options(account, password, false));
    const TDiscovery found = Discover(client, account.server);
    const QList<TCollection> lists = TaskLists(found);
    const std::vector<TMyRec1> categories = LoadCategories(dm);
    const std::vector<std::string> texts = MappingTexts(lists, categories);
    out << "Task lists at " << account.server << ":\n";
    for (qsizetype i = 0; i < lists.size(); ++i)
        out << "  " << i + 1 << ". " << lists[i].displayName.toStdString() << " ("
            << texts[static_cast<size_t>(i)] << ")\n";
    std::vector<std::string> made;
    if (args.lists) {
        account.lists = ChooseLists(client, found, categories, SplitNames(*args.lists), made);
    } else if (OnTerminal()) {
        account.lists = ChooseLists(client, found, categories, AskLists(lists, out), made);
    } else {
        // Without a terminal to ask on: every task list of the server.
        account.lists.clear();
        for (const TCollection& list : lists)
            account.lists.push_back(list.href.toStdString());
    }
    if (ask) {
        const TPasswordResult stored =
            WriteSecretNow(SecretKey(Q(account.server), Q(account.user)), Q(password));
        if (!stored.Ok())
            throw StoreError(stored.message.toStdString() +
                             " Set the account up with --password-command CMD instead.");
    }
    MapListsAgain(dm, account.lists);
    WriteSyncAccount(SyncSettingsPath(), dm.DatabasePath(), account);
    Chose(account.lists, made, out);
    return 0;
}

int ChangeLists(TDM& dm, const TArguments& args, std::ostream& out) {
    TSyncAccount account = RequireAccount(dm);
    TBlockingCalDav client(Options(account, StoredPassword(account), args.allowInsecureHttp));
    const TDiscovery found = Discover(client, account.server);
    std::vector<std::string> made;
    account.lists = ChooseLists(client, found, LoadCategories(dm), SplitNames(*args.lists), made);
    MapListsAgain(dm, account.lists);
    WriteSyncAccount(SyncSettingsPath(), dm.DatabasePath(), account);
    Chose(account.lists, made, out);
    return 0;
}

std::string HoldReason(TDeletionHold reason) {
    switch (reason) {
    case TDeletionHold::FirstSync:
        return "the account's first sync";
    case TDeletionHold::AddressChanged:
        return "the server's address changed since the last sync";
    case TDeletionHold::ManyAtOnce:
        return "the list would lose more than half of its tasks at once";
    case TDeletionHold::Restored:
        return "the server no longer knew the list's sync state, as a restored server does";
    case TDeletionHold::None:
        break;
    }
    return "asked before";
}

std::string ListName(const std::vector<TSyncListRow>& lists, const std::string& href) {
    for (const TSyncListRow& row : lists)
        if (row.href == href && !row.name.empty())
            return row.name;
    return href;
}

void WriteHeld(TDM& dm, const std::vector<TSyncHeldRow>& held, std::ostream& out) {
    if (held.empty())
        return;
    const std::vector<TSyncListRow> lists = ReadSyncLists(dm);
    out << "Deletions that wait (tolvek-tasks sync --confirm-deletions carries them out, "
           "--keep keeps the tasks):\n";
    for (const TSyncHeldRow& row : held)
        out << "  \"" << AsOneLine(row.task) << "\" deleted "
            << (row.side == "here" ? "here" : "on the server") << ", in \""
            << ListName(lists, row.list) << "\": " << HoldReason(row.reason) << "\n";
}

int Status(TDM& dm, std::ostream& out) {
    const std::optional<TSyncAccount> account =
        ReadSyncAccount(SyncSettingsPath(), dm.DatabasePath());
    if (!account) {
        out << "No sync account is set up for " << dm.DatabasePath()
            << " (tolvek-tasks sync --setup URL --user NAME).\n";
        return 0;
    }
    out << "Account: " << account->user << " at " << account->server << " (password "
        << (account->passwordCommand.empty() ? "in the desktop's secret store"
                                             : "from the command " + account->passwordCommand)
        << ")\n";
    const std::string last = ReadSyncValue(dm, LastSyncTimeKey);
    out << "Last sync: "
        << (last.empty() ? "never" : last + ": " + ReadSyncValue(dm, LastSyncResultKey)) << "\n";
    const std::vector<TSyncListRow> rows = ReadSyncLists(dm);
    out << "Lists:\n";
    for (const std::string& href : account->lists) {
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](const TSyncListRow& r) { return r.href == href; });
        if (row == rows.end()) {
            out << "  " << href << ": not synced yet\n";
            continue;
        }
        out << "  " << row->name << ": ";
        if (row->state == TSyncListState::NoRoom)
            out << "not synced: it would need an eleventh category\n";
        else if (row->state == TSyncListState::CategoryDeleted)
            out << "not synced: its category was deleted here\n";
        else
            out << "synced with the category of that name\n";
    }
    out << "Changes waiting to be sent: " << WaitingChanges(dm) << "\n";
    const size_t conflicts = ReadSyncLog(dm).size();
    out << "Conflicts in the log: " << conflicts << (conflicts ? " (tolvek-tasks sync --log)" : "")
        << "\n";
    WriteHeld(dm, ReadHeldDeletions(dm), out);
    return 0;
}

int Log(TDM& dm, std::ostream& out) {
    for (const TSyncLogEntry& entry : ReadSyncLog(dm))
        out << FormatDateMinute(entry.time) << "\t" << TsvField(entry.task) << "\t"
            << TsvField(entry.field) << "\t" << TsvField(entry.kept) << "\t" << TsvField(entry.lost)
            << "\n";
    return 0;
}

int Sync(TDM& dm, const TArguments& args, std::ostream& out) {
    const TSyncAccount account = RequireAccount(dm);
    const TDavOptions options = Options(account, StoredPassword(account), args.allowInsecureHttp);
    TSyncRequest request;
    request.dryRun = args.dryRun;
    request.confirmDeletions = args.confirmDeletions;
    request.keepDeleted = args.keep;
    const TSyncResult result = RunSync(dm, account, options, request);
    for (const std::string& warning : result.warnings)
        std::cerr << "tolvek-tasks: warning: " << AsOneLine(warning) << "\n";
    for (const std::string& error : result.errors)
        std::cerr << "tolvek-tasks: " << AsOneLine(error) << "\n";
    // A sync that failed before it did anything has nothing to sum up.
    const TSyncCounts& counts = result.counts;
    if (result.errors.empty() || counts.up || counts.down || counts.conflicts || counts.deleted ||
        !result.held.empty())
        out << result.Summary() << (args.dryRun ? " (a dry run: nothing was changed)" : "") << "\n";
    WriteHeld(dm, result.held, out);
    if (result.counts.changedHere && !args.dryRun)
        NotifyRunningProgram(dm.DatabasePath(), "reload");
    return result.ExitCode();
}

} // namespace

bool SyncMakesDatabase(const TArguments& args) {
    return !args.status && !args.log && !args.dryRun;
}

int SyncCommand(TDM& dm, const TArguments& args, std::ostream& out) {
    // Qt's network, its event loops and the secret store need an application object.
    int argc = 1;
    char name[] = "tolvek-tasks";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    if (args.status)
        return Status(dm, out);
    if (args.log)
        return Log(dm, out);
    if (args.setup)
        return Setup(dm, args, out);
    if (args.lists)
        return ChangeLists(dm, args, out);
    return Sync(dm, args, out);
}
