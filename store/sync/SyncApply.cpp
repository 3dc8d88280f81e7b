// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/sync/SyncApply.h"

#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"
#include "store/db/TableAccess.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskWrite.h"

#include <algorithm>

namespace {

// Steps in one transaction: few enough that the organizer's own writes never wait long.
constexpr size_t StepsPerTransaction = 100;

void Savepoint(TDM& dm, const char* command) {
    dm.ADOTable1.Query(std::string(command) + " sync_step");
}

// The name of the category, as the log shows it; its number when it is gone.
std::string CategoryName(const std::vector<TMyRec1>& categories, int32_t id) {
    for (const TMyRec1& category : categories)
        if (category.id == id)
            return category.strName;
    return std::to_string(id);
}

} // namespace

struct TSyncApplier::TTake {
    // The task as the merge leaves it, in the server's terms.
    TSyncTask merged;
    // No task here: one is made.
    bool create = false;
    bool changesHere = false;
    bool changesServer = false;
    std::vector<TSyncConflict> conflicts;
};

TSyncApplier::TSyncApplier(TDM& dm, std::map<std::string, int32_t> categoryOfList,
                           std::set<std::string> failedLists, std::time_t now, int64_t generation)
    : dm_(dm), categoryOfList_(std::move(categoryOfList)), failedLists_(std::move(failedLists)),
      now_(now), nowHere_(LocalDateTime(now)), generation_(generation) {
    for (const auto& [list, category] : categoryOfList_)
        listOfCategory_[category] = list;
}

std::optional<std::string> TSyncApplier::ListOf(int32_t category) const {
    const auto found = listOfCategory_.find(category);
    return found == listOfCategory_.end() ? std::nullopt
                                          : std::optional<std::string>(found->second);
}

int32_t TSyncApplier::CategoryOf(const std::string& list) const {
    const auto found = categoryOfList_.find(list);
    return found == categoryOfList_.end() ? 0 : found->second;
}

std::optional<TLocalTask> TSyncApplier::LocalOf(const TSyncTaskRow& row) {
    if (!row.taskId)
        return std::nullopt;
    std::optional<TLocalTask> task = ReadLocalTask(dm_, *row.taskId);
    if (task && task->uid != row.uid)
        return std::nullopt;
    return task;
}

void TSyncApplier::Log(const std::string& uid, const std::string& task,
                       const TSyncConflict& conflict) {
    TSyncLogEntry entry{nowHere_,
                        uid,
                        task,
                        SyncFieldName(conflict.field),
                        conflict.kept,
                        conflict.lost,
                        conflict.winner == TSyncSide::Local ? "here" : "server"};
    if (conflict.field == TSyncField::Category) {
        const std::vector<TMyRec1> categories = LoadCategories(dm_);
        entry.kept = CategoryName(categories, std::stoi(conflict.kept));
        entry.lost = CategoryName(categories, std::stoi(conflict.lost));
    }
    AddSyncLog(dm_, entry);
    ++counts_.conflicts;
}

TSyncApplier::TTake TSyncApplier::DecideTake(const std::optional<TSyncTaskRow>& row,
                                             const TMyRec2* here, const TServerItem& item) const {
    TTake take;
    TSyncTask server = item.todo.task;
    server.category = CategoryOf(item.resource.list);
    if (!here) {
        take.merged = server;
        take.create = take.changesHere = true;
        return take;
    }
    std::optional<TSyncTask> kept;
    if (row && row->Known()) {
        kept = ReadServerTodo(row->kept).task;
        kept->category = CategoryOf(row->list);
    }
    const TSyncTask current = SyncTaskOf(*here);
    const double hereTime = row && row->changedAt > 0 ? row->changedAt : nowHere_;
    const TSyncTask lifted = TowardsServer(dm_, current, kept ? *kept : server);
    TMergeResult result =
        MergeTask(kept, {lifted, hereTime}, {server, item.todo.changedAt.value_or(nowHere_)});
    take.merged = result.merged;
    take.changesHere = !(AsKeptHere(dm_, result.merged) == current);
    take.changesServer = result.changesServer;
    take.conflicts = std::move(result.conflicts);
    return take;
}

bool TSyncApplier::TakeServer(const std::string& uid, TServerItem item) {
    const std::optional<TSyncTaskRow> row = ReadSyncTask(dm_, uid);
    const std::optional<TLocalTask> local = row ? LocalOf(*row) : std::nullopt;
    const TTake take = DecideTake(row, local ? &local->record : nullptr, item);
    int32_t taskId = 0;
    if (take.create) {
        taskId = CreateTaskFromServer(dm_, take.merged, uid);
    } else {
        taskId = local->record.id;
        if (take.changesHere)
            RewriteTaskFromServer(dm_, local->record, take.merged);
        for (const TSyncConflict& conflict : take.conflicts)
            Log(uid, take.merged.name, conflict);
    }
    if (take.changesHere) {
        ++counts_.down;
        counts_.changedHere = true;
    }
    // The task moved to another resource (on the server, or by a move of ours the server
    // already has): the old one goes.
    if (row && row->Known() && !row->etag.empty() && row->href != item.resource.href)
        WriteGoneResource(dm_, {row->href, row->list, row->etag});
    TSyncTaskRow next;
    next.uid = uid;
    next.taskId = taskId;
    next.list = item.resource.list;
    next.href = item.resource.href;
    next.etag = item.resource.etag;
    next.kept = std::move(item.resource.text);
    next.known = true;
    next.changes = take.changesServer ? std::max<int64_t>(1, row ? row->changes : 1) : 0;
    next.changedAt = row ? row->changedAt : nowHere_;
    next.sentIn = row ? row->sentIn : 0;
    WriteSyncTask(dm_, next);
    return take.changesServer;
}

void TSyncApplier::RegisterNewTasks(const std::vector<TSyncTaskRow>& state,
                                    const std::vector<TMyRec2>& tasks,
                                    const std::unordered_map<int32_t, std::string>& uids) {
    std::unordered_map<std::string, const TSyncTaskRow*> rows;
    for (const TSyncTaskRow& row : state)
        rows.emplace(row.uid, &row);
    std::vector<std::pair<const TMyRec2*, std::string>> unknown;
    for (const TMyRec2& task : tasks) {
        const auto uid = uids.find(task.id);
        if (uid == uids.end() || !ListOf(task.intCategory))
            continue;
        const auto row = rows.find(uid->second);
        if (row == rows.end() || row->second->taskId != task.id)
            unknown.emplace_back(&task, uid->second);
    }
    if (unknown.empty())
        return;
    InTransaction(dm_, [&](TTableCursor&) {
        for (const auto& [task, uid] : unknown) {
            // A task here with the UID of a tombstone came back (an import, say): the row is
            // its own again, and what it holds goes up.
            TSyncTaskRow row = ReadSyncTask(dm_, uid).value_or(TSyncTaskRow{});
            if (row.uid.empty()) {
                row.uid = uid;
                row.list = *ListOf(task->intCategory);
                row.changedAt = nowHere_;
            }
            row.taskId = task->id;
            row.changes = std::max<int64_t>(1, row.changes);
            WriteSyncTask(dm_, row);
        }
    });
}

void TSyncApplier::ApplyStep(const TSyncStep& step, std::set<std::string>& unfinished) {
    std::optional<TSyncTaskRow> row = ReadSyncTask(dm_, step.uid);
    const auto moved = [&] {
        if (row && row->changes == step.changes)
            return false;
        if (row)
            unfinished.insert(row->list);
        return true;
    };
    switch (step.kind) {
    case TStepKind::TakeServer:
        TakeServer(step.uid, *step.server);
        break;
    case TStepKind::DeleteHere:
        if (moved())
            return;
        if (const std::optional<TLocalTask> local = LocalOf(*row)) {
            DeleteTaskRows(dm_, local->record.id);
            counts_.changedHere = true;
        }
        ++counts_.deleted;
        DeleteSyncTask(dm_, step.uid);
        DeleteHeldDeletion(dm_, step.uid);
        break;
    case TStepKind::Forget:
        if (moved())
            return;
        DeleteSyncTask(dm_, step.uid);
        DeleteHeldDeletion(dm_, step.uid);
        break;
    case TStepKind::Hold: {
        TSyncHeldRow held = step.held;
        if (held.task.empty())
            held.task = row ? TodoName(row->kept, step.uid) : step.uid;
        WriteHeldDeletion(dm_, held);
        ++counts_.held;
        break;
    }
    case TStepKind::Release:
        DeleteHeldDeletion(dm_, step.uid);
        break;
    case TStepKind::Reupload:
        DeleteHeldDeletion(dm_, step.uid);
        if (!row)
            return;
        row->etag.clear();
        row->changes = std::max<int64_t>(1, row->changes);
        WriteSyncTask(dm_, *row);
        break;
    case TStepKind::Restore:
        DeleteHeldDeletion(dm_, step.uid);
        if (row && row->Known() && !row->taskId)
            TakeServer(step.uid,
                       {{row->list, row->href, row->etag, row->kept}, ReadServerTodo(row->kept)});
        break;
    }
}

void TSyncApplier::Apply(const std::vector<TSyncStep>& steps, std::set<std::string>& unfinished,
                         std::vector<std::string>& warnings) {
    for (size_t first = 0; first < steps.size(); first += StepsPerTransaction) {
        const size_t last = std::min(steps.size(), first + StepsPerTransaction);
        InTransaction(dm_, [&](TTableCursor&) {
            for (size_t k = first; k < last; ++k) {
                const TSyncStep& step = steps[k];
                const TSyncCounts before = counts_;
                Savepoint(dm_, "SAVEPOINT");
                try {
                    ApplyStep(step, unfinished);
                    Savepoint(dm_, "RELEASE");
                } catch (const StoreError& error) {
                    Savepoint(dm_, "ROLLBACK TO");
                    Savepoint(dm_, "RELEASE");
                    counts_ = before;
                    // What the step was to take in is news again at the next sync.
                    if (step.server)
                        unfinished.insert(step.server->resource.list);
                    if (const std::optional<TSyncTaskRow> row = ReadSyncTask(dm_, step.uid))
                        unfinished.insert(row->list);
                    warnings.push_back("A task (" + step.uid +
                                       ") was left for the next sync: " + error.what());
                }
            }
        });
    }
}

void TSyncApplier::Count(const TSyncPlan& plan, const std::vector<TMyRec2>& tasks,
                         const std::unordered_map<int32_t, std::string>& uids) {
    std::unordered_map<std::string, const TMyRec2*> byUid;
    for (const TMyRec2& task : tasks)
        if (const auto uid = uids.find(task.id); uid != uids.end())
            byUid[uid->second] = &task;
    for (const TSyncStep& step : plan.steps) {
        switch (step.kind) {
        case TStepKind::TakeServer: {
            const auto task = byUid.find(step.uid);
            try {
                const TTake take =
                    DecideTake(ReadSyncTask(dm_, step.uid),
                               task == byUid.end() ? nullptr : task->second, *step.server);
                counts_.down += take.changesHere ? 1 : 0;
                counts_.up += take.changesServer ? 1 : 0;
                counts_.conflicts += static_cast<int>(take.conflicts.size());
            } catch (const StoreError&) {
            }
            break;
        }
        case TStepKind::DeleteHere:
            ++counts_.deleted;
            break;
        case TStepKind::Hold:
            ++counts_.held;
            break;
        case TStepKind::Restore:
            ++counts_.down;
            break;
        default:
            break;
        }
    }
    counts_.up += plan.toSend;
    counts_.deleted += plan.toDeleteOnServer;
}

std::vector<std::string> TSyncApplier::UploadCandidates() {
    std::vector<std::string> uids;
    // The condition is that of the index t_sync_task_waiting, which holds these rows alone.
    dm_.ADOTable1.Query(
        "SELECT strUid, strList FROM t_sync_task WHERE (intChanges > 0 OR strEtag = '' OR "
        "idTask IS NULL) AND strUid NOT IN (SELECT strUid FROM t_sync_held)",
        {}, [&](const std::vector<TFieldValue>& values) {
            if (!failedLists_.contains(values[1].s))
                uids.push_back(values[0].s);
        });
    return uids;
}

std::optional<TUploadJob> TSyncApplier::UploadJob(const std::string& uid) {
    std::optional<TSyncTaskRow> row = ReadSyncTask(dm_, uid);
    if (!row || failedLists_.contains(row->list))
        return std::nullopt;
    TUploadJob job;
    job.uid = uid;
    job.changes = row->changes;
    const std::optional<TLocalTask> local = LocalOf(*row);
    const std::optional<std::string> target =
        local ? ListOf(local->record.intCategory) : std::nullopt;
    if (target && failedLists_.contains(*target))
        return std::nullopt;
    if (!target) {
        // Gone here, or moved into a category that is not synced: the server's copy goes, if
        // it has one.
        if (row->etag.empty()) {
            DeleteSyncTask(dm_, uid);
            return std::nullopt;
        }
        job.kind = TUploadKind::Delete;
        job.list = row->list;
        job.href = row->href;
        job.etag = row->etag;
        job.moveOut = local.has_value();
        return job;
    }
    if (row->changes == 0 && !row->etag.empty() && *target == row->list)
        return std::nullopt;
    const TSyncTask fields = SyncTaskOf(local->record);
    if (row->Known()) {
        TSyncTask kept = ReadServerTodo(row->kept).task;
        kept.category = CategoryOf(row->list);
        job.text = PatchTodo(row->kept, TowardsServer(dm_, fields, kept), now_);
    } else {
        job.text = NewTodoText(fields, uid, now_);
    }
    job.list = *target;
    if (!row->etag.empty() && *target == row->list) {
        if (job.text == row->kept) {
            row->changes = 0;
            WriteSyncTask(dm_, *row);
            return std::nullopt;
        }
        job.kind = TUploadKind::Update;
        job.href = row->href;
        job.etag = row->etag;
        return job;
    }
    job.kind = TUploadKind::Create;
    job.href = row->list == *target ? row->href : std::string();
    job.move = !row->etag.empty();
    return job;
}

void TSyncApplier::Sent(const TUploadJob& job, const std::string& href, const std::string& etag,
                        const std::string& text) {
    if (job.uid.empty()) {
        DeleteGoneResource(dm_, job.href);
        return;
    }
    std::optional<TSyncTaskRow> row = ReadSyncTask(dm_, job.uid);
    if (!row)
        return;
    if (job.kind == TUploadKind::Delete) {
        if (!job.moveOut)
            ++counts_.deleted;
        if (row->changes == job.changes) {
            DeleteSyncTask(dm_, job.uid);
            return;
        }
        // The task came back into a synced category meanwhile: it goes up as new.
        row->etag.clear();
        WriteSyncTask(dm_, *row);
        return;
    }
    if (job.move && !row->etag.empty())
        WriteGoneResource(dm_, {row->href, row->list, row->etag});
    row->list = job.list;
    row->href = href;
    row->etag = etag;
    row->kept = text;
    row->known = true;
    row->sentIn = generation_;
    row->changes = row->changes == job.changes ? 0 : row->changes;
    WriteSyncTask(dm_, *row);
    ++counts_.up;
}

void TSyncApplier::Lost(const TUploadJob& job) {
    std::optional<TSyncTaskRow> row = ReadSyncTask(dm_, job.uid);
    if (!row)
        return;
    row->etag.clear();
    row->changes = std::max<int64_t>(1, row->changes);
    WriteSyncTask(dm_, *row);
}
