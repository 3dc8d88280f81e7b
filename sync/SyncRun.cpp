// SPDX-License-Identifier: GPL-3.0-or-later
#include "sync/SyncRun.h"

#include "store/dates/DateText.h"
#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"
#include "store/db/TableAccess.h"
#include "store/records/CategoryTable.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"
#include "store/sync/SyncLocal.h"
#include "sync/DavHref.h"
#include "sync/SyncRunParts.h"

#include <QLockFile>
#include <algorithm>
#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

// Keeps two syncs of one database apart. The system lets go of the lock when the process
// ends, however it ends, so a sync that was killed never keeps the next one out.
class TSyncLock {
public:
    explicit TSyncLock(const std::string& path) {
#ifdef Q_OS_WIN
        file_ = std::make_unique<QLockFile>(QString::fromStdString(path));
        held_ = file_->tryLock(0);
#else
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
#endif
    }
    ~TSyncLock() {
#ifndef Q_OS_WIN
        if (fd_ >= 0)
            ::close(fd_);
#endif
    }
    TSyncLock(const TSyncLock&) = delete;
    TSyncLock& operator=(const TSyncLock&) = delete;
    bool Held() const {
        return held_;
    }

private:
    bool held_ = false;
#ifdef Q_OS_WIN
    std::unique_ptr<QLockFile> file_;
#else
    int fd_ = -1;
#endif
};

// Pages of one sync-collection report, at most: a server that never ends its report fails.
constexpr int MaxReportPages = 10000;

bool StopsEveryList(TDavErrorKind kind) {
    switch (kind) {
    case TDavErrorKind::InsecureConnection:
    case TDavErrorKind::InsecureRedirect:
    case TDavErrorKind::WrongPassword:
    case TDavErrorKind::Certificate:
    case TDavErrorKind::Network:
    case TDavErrorKind::TooManyRedirects:
        return true;
    default:
        return false;
    }
}

} // namespace

int TSyncResult::ExitCode() const {
    if (!errors.empty())
        return 1;
    return held.empty() ? 0 : 3;
}

std::string TSyncResult::Summary() const {
    return std::to_string(counts.up) + " up, " + std::to_string(counts.down) + " down, " +
           std::to_string(counts.conflicts) + " conflicts, " + std::to_string(counts.deleted) +
           " deleted, " + std::to_string(counts.held) + " held";
}

std::string SyncLockPath(const std::string& databasePath) {
    return databasePath + ".sync-lock";
}

TSyncResult RunSync(TDM& dm, const TSyncAccount& account, const TDavOptions& options,
                    const TSyncRequest& request) {
    return TSyncRun(dm, account, options, request).Run();
}

TSyncRun::TSyncRun(TDM& dm, const TSyncAccount& account, const TDavOptions& options,
                   const TSyncRequest& request)
    : dm_(dm), account_(account), request_(request), client_(options),
      base_(UserAddress(ToQ(account.server))), now_(std::time(nullptr)) {}

void TSyncRun::Error(const std::string& message) {
    if (std::find(result_.errors.begin(), result_.errors.end(), message) == result_.errors.end())
        result_.errors.push_back(message);
}

void TSyncRun::Fail(const std::string& list, const TDavError& error) {
    if (!list.empty())
        failed_.insert(list);
    fatal_ |= StopsEveryList(error.kind);
    if (error)
        Error(ToStd(error.message));
}

bool TSyncRun::Stopped() {
    if (request_.stop && request_.stop->load()) {
        Error("The sync was stopped before it ended; the next sync goes on from there.");
        fatal_ = true;
    }
    return fatal_;
}

QUrl TSyncRun::UrlOf(const std::string& href) const {
    return HrefUrl(base_, ToQ(href));
}

TSyncResult TSyncRun::Run() {
    const TSyncLock lock(SyncLockPath(dm_.DatabasePath()));
    if (!lock.Held()) {
        Error("Another sync of " + dm_.DatabasePath() + " is running.");
        return result_;
    }
    try {
        CreateSyncTables(dm_);
        ReadCollections();
        if (!Stopped())
            MapLists();
        ReadKnown();
        for (const auto& [list, category] : categoryOfList_)
            if (!Stopped())
                FindChanges(list);
        if (!Stopped() && !categoryOfList_.empty())
            Merge();
        if (!request_.dryRun && !categoryOfList_.empty() && applier_) {
            if (!Stopped())
                Upload();
            result_.counts = applier_->Counts();
            Finish();
        }
    } catch (const StoreError& error) {
        Error(error.what());
    }
    if (!request_.dryRun) {
        try {
            result_.held = ReadHeldDeletions(dm_);
            result_.counts.held = static_cast<int>(result_.held.size());
            InTransaction(dm_, [&](TTableCursor&) {
                WriteSyncValue(dm_, LastSyncTimeKey, FormatDateMinute(LocalDateTime(now_)));
                WriteSyncValue(dm_, LastSyncResultKey,
                               result_.errors.empty() ? result_.Summary() : result_.errors.front());
                if (result_.errors.empty())
                    WriteSyncValue(dm_, LastSuccessKey, std::to_string(now_));
            });
        } catch (const StoreError& error) {
            Error(error.what());
        }
    }
    return result_;
}

void TSyncRun::ReadCollections() {
    for (TSyncListRow& row : ReadSyncLists(dm_))
        lists_.emplace(row.href, std::move(row));
    const std::vector<std::string>& chosen = account_.lists;
    // Lists no longer chosen are no longer synced: the state forgets them, the server keeps
    // them.
    if (!request_.dryRun)
        for (auto row = lists_.begin(); row != lists_.end();) {
            if (std::find(chosen.begin(), chosen.end(), row->first) != chosen.end()) {
                ++row;
                continue;
            }
            InTransaction(dm_, [&](TTableCursor&) { DeleteSyncList(dm_, row->first); });
            row = lists_.erase(row);
        }
    for (const std::string& list : chosen) {
        if (Stopped()) {
            failed_.insert(list);
            continue;
        }
        const TDavResult<TCollection> read = client_.ReadCollection(UrlOf(list));
        if (read.Ok())
            collections_[list] = read.value;
        else if (read.error.kind == TDavErrorKind::NotFound)
            // A list that is gone from the server is not a list whose tasks were all deleted.
            Fail(list, MakeDavError(TDavErrorKind::NotFound, UrlOf(list), 404,
                                    "the list is not synced until it is back or chosen no more "
                                    "(tolvek-tasks sync --lists)"));
        else
            Fail(list, read.error);
    }
}

void TSyncRun::MapLists() {
    std::vector<TMyRec1> categories = LoadCategories(dm_);
    const auto categoryName = [&](int32_t id) -> const std::string* {
        for (const TMyRec1& category : categories)
            if (category.id == id)
                return &category.strName;
        return nullptr;
    };
    std::vector<int32_t> taken;
    int32_t wouldMake = 0;
    for (const auto& [href, row] : lists_)
        if (row.state == TSyncListState::Synced && row.category && categoryName(*row.category))
            taken.push_back(*row.category);
    for (const auto& [href, collection] : collections_) {
        const std::string name = ToStd(collection.displayName);
        if (!collection.HoldsTodos()) {
            result_.warnings.push_back("The list \"" + name +
                                       "\" holds no to-dos; it is not synced.");
            continue;
        }
        auto row = lists_.find(href);
        if (row != lists_.end() && row->second.state == TSyncListState::CategoryDeleted) {
            result_.warnings.push_back("The list \"" + name +
                                       "\" is no longer synced: its category was deleted here. "
                                       "Choose it again with tolvek-tasks sync --lists.");
            continue;
        }
        const std::string* current = row != lists_.end() &&
                                             row->second.state == TSyncListState::Synced &&
                                             row->second.category
                                         ? categoryName(*row->second.category)
                                         : nullptr;
        if (current) {
            // A category renamed here renames its list.
            if (*current != row->second.name && !request_.dryRun) {
                const TDavResult<TNothing> renamed = client_.Rename(collection.url, ToQ(*current));
                if (renamed.Ok()) {
                    row->second.name = *current;
                    InTransaction(dm_, [&](TTableCursor&) { WriteSyncList(dm_, row->second); });
                } else {
                    Error(ToStd(renamed.error.message));
                }
            }
            categoryOfList_[href] = *row->second.category;
            continue;
        }
        TSyncListRow made{href, std::nullopt, TSyncListState::NoRoom, name, {}, {}};
        if (request_.dryRun) {
            // The category the list would map to; one that would be made has no id yet.
            made.category = FreeCategoryByName(categories, name, taken);
            if (!made.category && categories.size() + ++wouldMake <= MaxCategories)
                made.category = -wouldMake;
        } else {
            InTransaction(dm_, [&](TTableCursor&) {
                made.category = CategoryForList(dm_, name, taken);
                if (made.category) {
                    made.state = TSyncListState::Synced;
                    categories = LoadCategories(dm_);
                    made.name = *categoryName(*made.category);
                }
                WriteSyncList(dm_, made);
            });
            result_.counts.changedHere = true;
        }
        lists_[href] = made;
        if (!made.category) {
            result_.warnings.push_back("The list \"" + name +
                                       "\" is not synced: it would need an eleventh category.");
            continue;
        }
        taken.push_back(*made.category);
        categoryOfList_[href] = *made.category;
    }
}

void TSyncRun::ReadKnown() {
    // Read before the tasks, as the plan needs it.
    state_ = ReadSyncTasks(dm_);
    for (const TSyncTaskRow& row : state_)
        if (row.Known() && !row.etag.empty()) {
            knownEtags_[row.href] = row.etag;
            knownInList_[row.list].push_back(row.href);
            if (row.sentIn)
                sentAfterToken_[row.list].push_back(row.href);
        }
    goneRows_ = ReadGoneResources(dm_);
    for (const TSyncGoneRow& row : goneRows_)
        gone_.insert(row.href);
}

void TSyncRun::FindChanges(const std::string& list) {
    const TSyncListRow& row = lists_[list];
    const TCollection& collection = collections_.at(list);
    TListFindings findings{list, {}, {}, false, false};
    const QUrl url = collection.url;
    QString token = ToQ(row.token);
    const bool sameState = (!row.token.empty() && collection.syncToken == token) ||
                           (collection.syncToken.isEmpty() && !collection.ctag.isEmpty() &&
                            ToStd(collection.ctag) == row.ctag);
    QList<TResource> listed;
    bool whole = false;
    QStringList removed;
    if (sameState && !row.sentSince) {
        newTokens_[list] = row.token;
        findings_.push_back(std::move(findings));
        return;
    }
    if (sameState) {
        // What this side sent after that state is not there: the server went back to it, as a
        // server restored from a backup does.
        findings.tokenRejected = true;
        token.clear();
    }
    bool listEtags = !collection.syncCollection;
    if (!listEtags) {
        for (int page = 0;; ++page) {
            if (Stopped())
                return Fail(list, {});
            const TDavResult<TSyncReport> report = client_.SyncCollection(url, token);
            if (report.error.kind == TDavErrorKind::SyncTokenInvalid) {
                // A token the server no longer takes: the whole list is compared instead, and
                // what it lacks is held, as a restored server lacks what its backup lacked.
                if (token.isEmpty()) {
                    listEtags = true;
                    break;
                }
                findings.tokenRejected = true;
                token.clear();
                listed.clear();
                removed.clear();
                continue;
            }
            if (!report.Ok())
                return Fail(list, report.error);
            whole |= token.isEmpty();
            listed.append(report.value.changed);
            removed.append(report.value.removed);
            token = report.value.token;
            if (!report.value.truncated)
                break;
            if (page >= MaxReportPages)
                return Fail(list, MakeDavError(TDavErrorKind::BadResponse, url, 0,
                                               "its sync report never ended"));
        }
    }
    if (listEtags) {
        const TDavResult<QList<TResource>> etags = client_.ListEtags(url);
        if (!etags.Ok())
            return Fail(list, etags.error);
        listed = etags.value;
        removed.clear();
        whole = true;
        token.clear();
    }
    std::set<std::string> present;
    QStringList fetch;
    for (const TResource& resource : listed) {
        const std::string href = ToStd(resource.href);
        present.insert(href);
        const auto known = knownEtags_.find(href);
        if (gone_.contains(href) || (known != knownEtags_.end() && !resource.etag.isEmpty() &&
                                     known->second == ToStd(resource.etag)))
            continue;
        fetch.append(resource.href);
    }
    if (whole) {
        for (const std::string& href : knownInList_[list])
            if (!present.contains(href))
                findings.removed.push_back(href);
    } else {
        for (const QString& href : removed)
            findings.removed.push_back(ToStd(href));
        // A report names what changed since its token, and what was sent after the token
        // changed since: sent and gone again by now, it may not be named at all.
        const std::set<QString> named(removed.begin(), removed.end());
        for (const std::string& href : sentAfterToken_[list])
            if (!present.contains(href) && !named.contains(ToQ(href)))
                findings.removed.push_back(href);
    }
    findings.wholeList = whole;
    FetchChanged(findings, fetch);
    if (failed_.contains(list))
        return;
    newTokens_[list] = ToStd(token);
    findings_.push_back(std::move(findings));
}

void TSyncRun::FetchChanged(TListFindings& findings, const QStringList& hrefs) {
    const QUrl url = collections_.at(findings.list).url;
    for (qsizetype first = 0; first < hrefs.size(); first += FetchBatch) {
        if (Stopped())
            return Fail(findings.list, {});
        const TDavResult<TMultiget> got = client_.Multiget(url, hrefs.mid(first, FetchBatch));
        if (!got.Ok())
            return Fail(findings.list, got.error);
        for (const TResource& resource : got.value.found)
            findings.changed.push_back({findings.list, ToStd(resource.href), ToStd(resource.etag),
                                        resource.data.toStdString()});
        for (const QString& href : got.value.missing)
            findings.removed.push_back(ToStd(href));
    }
}

void TSyncRun::Merge() {
    // The state first (read before the changes were), then the tasks: a task changed in
    // between shows a change count that moved, and its step waits.
    TPlanInput input;
    input.state = std::move(state_);
    input.tasks = ReadAllTasks(dm_);
    input.uids = ReadTaskUids(dm_);
    input.held = ReadHeldDeletions(dm_);
    input.gone = std::move(goneRows_);
    for (const auto& [list, category] : categoryOfList_)
        if (!failed_.contains(list))
            input.categoryOfList[list] = category;
    input.failedLists = failed_;
    std::erase_if(findings_,
                  [&](const TListFindings& findings) { return failed_.contains(findings.list); });
    input.findings = findings_;
    input.firstSync = ReadSyncValue(dm_, FirstSyncDoneKey) != "1";
    const std::string synced = ReadSyncValue(dm_, SyncedServerKey);
    input.addressChanged = !synced.empty() && synced != account_.server;
    input.confirmDeletions = request_.confirmDeletions;
    input.keepDeleted = request_.keepDeleted;

    if (!request_.dryRun) {
        const std::string last = ReadSyncValue(dm_, SyncGenerationKey);
        generation_ = (last.empty() ? 0 : std::stoll(last)) + 1;
        InTransaction(dm_, [&](TTableCursor&) {
            WriteSyncValue(dm_, SyncGenerationKey, std::to_string(generation_));
        });
    }
    applier_ =
        std::make_unique<TSyncApplier>(dm_, input.categoryOfList, failed_, now_, generation_);
    const TSyncPlan plan = PlanSync(input);
    result_.warnings.insert(result_.warnings.end(), plan.warnings.begin(), plan.warnings.end());
    unfinished_ = plan.unfinishedLists;
    if (request_.dryRun) {
        applier_->Count(plan, input.tasks, input.uids);
        result_.counts = applier_->Counts();
        for (const TSyncStep& step : plan.steps)
            if (step.kind == TStepKind::Hold)
                result_.held.push_back(step.held);
        return;
    }
    applier_->Counts() = result_.counts;
    applier_->RegisterNewTasks(input.state, input.tasks, input.uids);
    applier_->Apply(plan.steps, unfinished_, result_.warnings);
    result_.counts = applier_->Counts();
}

void TSyncRun::Finish() {
    for (const auto& [list, category] : categoryOfList_) {
        TSyncListRow& row = lists_[list];
        const bool sent = sentTo_.contains(list);
        if (failed_.contains(list) || unfinished_.contains(list) || !newTokens_.contains(list)) {
            if (!sent || row.sentSince)
                continue;
            row.sentSince = true;
            InTransaction(dm_, [&](TTableCursor&) { WriteSyncList(dm_, row); });
            continue;
        }
        row.token = newTokens_[list];
        row.ctag = ToStd(collections_.at(list).ctag);
        row.sentSince = sent;
        InTransaction(dm_, [&](TTableCursor&) {
            WriteSyncList(dm_, row);
            ForgetSentBefore(dm_, list, generation_);
        });
    }
    if (failed_.empty() && result_.errors.empty())
        InTransaction(dm_, [&](TTableCursor&) {
            WriteSyncValue(dm_, FirstSyncDoneKey, "1");
            WriteSyncValue(dm_, SyncedServerKey, account_.server);
        });
}
