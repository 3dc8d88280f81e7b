// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/sync/SyncPlan.h"

#include "store/db/StoreError.h"

#include <algorithm>
#include <cctype>

namespace {

// Which side deleted a task, as the held rows say it.
constexpr const char* DeletedHere = "here";
constexpr const char* DeletedOnServer = "server";

// A deletion the safety valve looks at, with the others of its list and side.
struct TDeletion {
    std::string uid;
    std::string task;
    int64_t changes = 0;
};

class TPlanner {
public:
    explicit TPlanner(const TPlanInput& in) : in_(in) {
        for (const auto& [list, category] : in.categoryOfList)
            listOfCategory_[category] = list;
        for (const TSyncTaskRow& row : in.state) {
            rows_[row.uid] = &row;
            if (row.Known())
                ++knownInList_[row.list];
        }
        for (const TMyRec2& task : in.tasks)
            if (const auto uid = in.uids.find(task.id); uid != in.uids.end())
                tasks_.try_emplace(uid->second, &task);
        for (const TSyncHeldRow& row : in.held)
            held_[row.uid] = &row;
        for (const TSyncGoneRow& row : in.gone)
            gone_.insert(row.href);
        for (const TListFindings& list : in.findings) {
            findings_[list.list] = &list;
            removed_.insert(list.removed.begin(), list.removed.end());
            ReadItems(list);
        }
    }

    TSyncPlan Plan() {
        // A task both sides left as they were at the last sync has nothing to decide: the
        // tasks looked at are those that changed on a side, or wait for the user.
        std::set<std::string> uids;
        for (const auto& [uid, row] : rows_)
            if (!row->Known() || row->changes > 0 || !row->taskId || removed_.contains(row->href) ||
                held_.contains(uid))
                uids.insert(uid);
        for (const auto& [uid, items] : items_)
            uids.insert(uid);
        for (const auto& [uid, task] : tasks_)
            if (listOfCategory_.contains(task->intCategory) && !rows_.contains(uid))
                uids.insert(uid);
        for (const std::string& uid : uids)
            PlanTask(uid);
        for (const auto& [key, deletions] : deletions_)
            PlanDeletions(key.first, key.second, deletions);
        return std::move(plan_);
    }

private:
    void ReadItems(const TListFindings& list) {
        const int32_t category = in_.categoryOfList.at(list.list);
        for (const TServerResource& resource : list.changed) {
            if (gone_.contains(resource.href) || !HoldsTodo(resource.text))
                continue;
            TServerItem item{resource, {}};
            try {
                item.todo = ReadServerTodo(resource.text);
            } catch (const StoreError& error) {
                plan_.warnings.push_back("The to-do " + resource.href +
                                         " cannot be read and was left alone: " + error.what());
                continue;
            }
            if (item.todo.uid.empty()) {
                plan_.warnings.push_back("The to-do " + resource.href +
                                         " has no UID and was left alone.");
                continue;
            }
            item.todo.task.category = category;
            items_[item.todo.uid].push_back(std::move(item));
        }
    }

    std::optional<std::string> ListOf(int32_t category) const {
        const auto found = listOfCategory_.find(category);
        return found == listOfCategory_.end() ? std::nullopt
                                              : std::optional<std::string>(found->second);
    }

    void Unfinished(const std::vector<TServerItem>& items) {
        for (const TServerItem& item : items)
            plan_.unfinishedLists.insert(item.resource.list);
    }

    // The server's version among the resources found with the UID; none when the server's
    // copy is unchanged (or gone).
    const TServerItem* ChooseItem(const TSyncTaskRow* row, const TMyRec2* task,
                                  const std::vector<TServerItem>& items, bool rowRemoved) {
        if (items.empty())
            return nullptr;
        const std::optional<std::string> taskList = task ? ListOf(task->intCategory) : std::nullopt;
        const auto in = [&](const std::optional<std::string>& list) -> const TServerItem* {
            for (const TServerItem& item : items)
                if (list && item.resource.list == *list)
                    return &item;
            return nullptr;
        };
        const TServerItem* chosen = nullptr;
        if (row && row->Known()) {
            for (const TServerItem& item : items)
                if (item.resource.href == row->href)
                    chosen = &item;
            // The known resource is still there: another one with the UID is the copy a move
            // of ours left in the task's new list before it could delete the old one, or a
            // copy made elsewhere, which is left alone.
            if (!chosen && !rowRemoved && taskList && *taskList != row->list)
                chosen = in(taskList);
            if (!chosen && !rowRemoved) {
                // Seen again next time: a move by another program may be half done.
                Copies(task, items);
                Unfinished(items);
                return nullptr;
            }
        }
        if (!chosen)
            chosen = in(taskList);
        if (!chosen)
            chosen = &items.front();
        if (items.size() > 1)
            Copies(task, items);
        return chosen;
    }

    void Copies(const TMyRec2* task, const std::vector<TServerItem>& items) {
        std::string lists;
        for (const TServerItem& item : items)
            lists += (lists.empty() ? "" : ", ") + item.resource.href;
        plan_.warnings.push_back("The server holds copies of \"" +
                                 (task ? task->strName : items.front().todo.task.name) + "\" (" +
                                 lists + "); the one in step with this side is synced.");
    }

    void PlanTask(const std::string& uid) {
        const auto rowAt = rows_.find(uid);
        const TSyncTaskRow* row = rowAt == rows_.end() ? nullptr : rowAt->second;
        const auto taskAt = tasks_.find(uid);
        const TMyRec2* task = taskAt == tasks_.end() ? nullptr : taskAt->second;
        static const std::vector<TServerItem> none;
        const auto itemsAt = items_.find(uid);
        const std::vector<TServerItem>& items = itemsAt == items_.end() ? none : itemsAt->second;
        const bool known = row && row->Known();
        const std::optional<std::string> taskList = task ? ListOf(task->intCategory) : std::nullopt;

        // Whatever touches a list that could not be read waits for the next sync.
        std::vector<std::string> touched;
        if (row)
            touched.push_back(row->list);
        if (taskList)
            touched.push_back(*taskList);
        for (const TServerItem& item : items)
            touched.push_back(item.resource.list);
        for (const std::string& list : touched)
            if (in_.failedLists.contains(list)) {
                Unfinished(items);
                return;
            }
        // A task of a category that is not synced, which the sync never had.
        if (task && !taskList && !known) {
            if (!items.empty())
                plan_.warnings.push_back("\"" + task->strName +
                                         "\" is in a category that is not synced; the server's "
                                         "to-do with its UID was left alone.");
            return;
        }

        const auto heldAt = held_.find(uid);
        const TSyncHeldRow* held = heldAt == held_.end() ? nullptr : heldAt->second;
        bool rowRemoved = known && removed_.contains(row->href);
        // A deletion on the server that waits is not reported again: the list's token moved on.
        if (known && held && held->side == DeletedOnServer) {
            const auto list = findings_.find(row->list);
            rowRemoved |= list == findings_.end() || !list->second->wholeList;
        }

        const TServerItem* item = ChooseItem(row, task, items, rowRemoved);
        TServerState server = TServerState::Absent;
        if (item)
            server = TServerState::Changed;
        else if (known)
            server = rowRemoved ? TServerState::Deleted : TServerState::Unchanged;

        TLocalState local = TLocalState::Absent;
        if (task)
            local = known && row->changes == 0 ? TLocalState::Unchanged : TLocalState::Changed;
        else if (row)
            local = TLocalState::Deleted;

        const TSyncAction action = DecideSync(known, local, server);
        const bool deletion =
            action == TSyncAction::DeleteLocal || action == TSyncAction::DeleteOnServer;
        if (held && deletion) {
            PlanHeld(*row, *held, action);
            return;
        }
        if (held)
            Step(TStepKind::Release, uid);
        if (deletion) {
            const bool here = action == TSyncAction::DeleteOnServer;
            // The name of a task deleted here is in the kept copy, which the applier reads.
            const std::string name = task ? task->strName : std::string();
            deletions_[{row->list, here ? DeletedHere : DeletedOnServer}].push_back(
                {uid, name, row->changes});
            return;
        }
        switch (action) {
        case TSyncAction::Upload:
            ++plan_.toSend;
            break;
        case TSyncAction::UploadNew:
            ++plan_.toSend;
            if (known)
                Step(TStepKind::Reupload, uid).changes = row->changes;
            break;
        case TSyncAction::Download:
        case TSyncAction::CreateLocal:
        case TSyncAction::Merge:
            Step(TStepKind::TakeServer, uid).server = *item;
            break;
        case TSyncAction::Forget:
            Step(TStepKind::Forget, uid).changes = row->changes;
            break;
        default:
            break;
        }
    }

    // A deletion the user was asked about before.
    void PlanHeld(const TSyncTaskRow& row, const TSyncHeldRow& held, TSyncAction action) {
        const bool deleteHere = action == TSyncAction::DeleteLocal;
        if (in_.confirmDeletions) {
            if (deleteHere) {
                Step(TStepKind::DeleteHere, row.uid).changes = row.changes;
            } else {
                Step(TStepKind::Release, row.uid);
                ++plan_.toDeleteOnServer;
            }
        } else if (in_.keepDeleted) {
            Step(deleteHere ? TStepKind::Reupload : TStepKind::Restore, row.uid).changes =
                row.changes;
            if (deleteHere)
                ++plan_.toSend;
        } else {
            Step(TStepKind::Hold, row.uid).held = held;
        }
    }

    void PlanDeletions(const std::string& list, const std::string& side,
                       const std::vector<TDeletion>& deletions) {
        const bool onServer = side == DeletedOnServer;
        const auto findings = findings_.find(list);
        TDeletionHold reason = HoldDeletions(in_.firstSync, in_.addressChanged, knownInList_[list],
                                             static_cast<int>(deletions.size()));
        if (reason == TDeletionHold::None && onServer && findings != findings_.end() &&
            findings->second->tokenRejected)
            reason = TDeletionHold::Restored;
        for (const TDeletion& deletion : deletions) {
            if (reason != TDeletionHold::None)
                Step(TStepKind::Hold, deletion.uid).held = {deletion.uid, list, side, reason,
                                                            deletion.task};
            else if (onServer)
                Step(TStepKind::DeleteHere, deletion.uid).changes = deletion.changes;
            else
                ++plan_.toDeleteOnServer;
        }
    }

    TSyncStep& Step(TStepKind kind, const std::string& uid) {
        TSyncStep& step = plan_.steps.emplace_back();
        step.kind = kind;
        step.uid = uid;
        return step;
    }

    const TPlanInput& in_;
    TSyncPlan plan_;
    std::map<int32_t, std::string> listOfCategory_;
    std::unordered_map<std::string, const TSyncTaskRow*> rows_;
    std::unordered_map<std::string, int> knownInList_;
    std::unordered_map<std::string, const TMyRec2*> tasks_;
    std::unordered_map<std::string, const TSyncHeldRow*> held_;
    std::set<std::string> gone_;
    std::set<std::string> removed_;
    std::map<std::string, const TListFindings*> findings_;
    std::map<std::string, std::vector<TServerItem>> items_;
    std::map<std::pair<std::string, std::string>, std::vector<TDeletion>> deletions_;
};

} // namespace

TSyncPlan PlanSync(const TPlanInput& input) {
    return TPlanner(input).Plan();
}

bool HoldsTodo(const std::string& text) {
    static const std::string wanted = "BEGIN:VTODO";
    const auto found =
        std::search(text.begin(), text.end(), wanted.begin(), wanted.end(), [](char a, char b) {
            return std::toupper(static_cast<unsigned char>(a)) == b;
        });
    return found != text.end();
}

std::string TodoName(const std::string& text, const std::string& fallback) {
    try {
        return ReadServerTodo(text).task.name;
    } catch (const StoreError&) {
        return fallback;
    }
}

std::string TodoUid(const std::string& text) {
    try {
        return ReadServerTodo(text).uid;
    } catch (const StoreError&) {
        return {};
    }
}
