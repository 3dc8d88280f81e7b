// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/DmUnit.h"
#include "store/sync/SyncLocal.h"
#include "store/sync/SyncPlan.h"

#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

// What a sync writes here: the plan's steps, the server's versions of tasks, what to upload
// and what the server took. Each call that writes reads the state row and the task as they
// are in its transaction, so that a task changed meanwhile (in the organizer, say) is merged
// as it is now and its change is never taken for sent.

struct TSyncCounts {
    // To-dos sent to the server, and tasks made or changed here from the server's.
    int up = 0;
    int down = 0;
    // Fields both sides changed; the value that lost is in the sync log.
    int conflicts = 0;
    // Deletions carried out, here or on the server, and deletions that wait for the user.
    int deleted = 0;
    int held = 0;
    // Whether a task or a category here changed.
    bool changedHere = false;
};

enum class TUploadKind { Create, Update, Delete };

// One request to make of the server for a task.
struct TUploadJob {
    TUploadKind kind = TUploadKind::Update;
    // The task's UID; empty for a resource a move left behind.
    std::string uid;
    // The list the request goes to.
    std::string list;
    // Update, Delete: the resource. Create: the name the task had in that list before, empty
    // for a new name (the caller makes one from the UID).
    std::string href;
    // Update, Delete: the ETag the request is made for (If-Match).
    std::string etag;
    // Create, Update: the text to send.
    std::string text;
    // The task's change count when the text was made.
    int64_t changes = 0;
    // A Create that moves the task into another list: its old resource goes when this is done.
    bool move = false;
    // A Delete of a task that moved here into a category that is not synced: it stays here.
    bool moveOut = false;
};

class TSyncApplier {
public:
    // categoryOfList: the synced lists that answered and their categories; failedLists: those
    // that did not, whose tasks are left alone. now: the sync's moment.
    // generation: this sync's number (see SyncGenerationKey).
    TSyncApplier(TDM& dm, std::map<std::string, int32_t> categoryOfList,
                 std::set<std::string> failedLists, std::time_t now, int64_t generation);

    const TSyncCounts& Counts() const { return counts_; }
    TSyncCounts& Counts() { return counts_; }

    // Gives every task of a synced category that the state (as read, kept copies left out)
    // does not know yet a row, so that a change of it during the sync is counted; in a
    // transaction of its own.
    void RegisterNewTasks(const std::vector<TSyncTaskRow>& state, const std::vector<TMyRec2>& tasks,
                          const std::unordered_map<int32_t, std::string>& uids);

    // Carries out the plan's steps, a batch of them in each transaction. A step that finds the
    // task changed since the plan, or that fails, is left for the next sync: its list goes into
    // unfinished, and what failed into warnings.
    void Apply(const std::vector<TSyncStep>& steps, std::set<std::string>& unfinished,
               std::vector<std::string>& warnings);
    // What Apply and the uploads would count, writing nothing (a dry run).
    void Count(const TSyncPlan& plan, const std::vector<TMyRec2>& tasks,
               const std::unordered_map<int32_t, std::string>& uids);

    // The UIDs that may have something to send: changed or deleted here, or new; not those of
    // a deletion that waits, nor of a list that did not answer.
    std::vector<std::string> UploadCandidates();

    // Each of these works inside the caller's transaction (see InTransaction).

    // Brings the server's version of the task in: merged with the task here, or made here when
    // there is none; the state row takes the server's resource. True when the merge left
    // something to send.
    bool TakeServer(const std::string& uid, TServerItem item);
    // What to send for the task as it stands; none when there is nothing (a task the server
    // never had that is gone or left the synced categories is forgotten, and a change that the
    // text does not show is settled). Throws StoreError when the kept copy cannot be read.
    std::optional<TUploadJob> UploadJob(const std::string& uid);
    // The server took the job: for Create and Update, the resource's href, ETag and text.
    void Sent(const TUploadJob& job, const std::string& href, const std::string& etag,
              const std::string& text);
    // The server no longer has the resource an update was for: the task goes up as new.
    void Lost(const TUploadJob& job);

private:
    struct TTake;
    TTake DecideTake(const std::optional<TSyncTaskRow>& row, const TMyRec2* here,
                     const TServerItem& item) const;
    void ApplyStep(const TSyncStep& step, std::set<std::string>& unfinished);
    std::optional<std::string> ListOf(int32_t category) const;
    int32_t CategoryOf(const std::string& list) const;
    void Log(const std::string& uid, const std::string& task, const TSyncConflict& conflict);
    std::optional<TLocalTask> LocalOf(const TSyncTaskRow& row);

    TDM& dm_;
    std::map<std::string, int32_t> categoryOfList_;
    std::map<int32_t, std::string> listOfCategory_;
    std::set<std::string> failedLists_;
    std::time_t now_;
    double nowHere_;
    int64_t generation_;
    TSyncCounts counts_;
};
