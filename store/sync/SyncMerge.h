// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "store/records/TaskWrite.h"
#include "store/varUnit.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The rules of a two-way sync between the tasks here and the to-dos of a server, without the
// network and without the database: what a sync does with one task, how the two sides' edits
// of it merge, and when deletions wait for the user.

// A task as both sides can hold it: the fields a to-do carries, each compared as a whole.
struct TSyncTask {
    std::string name;
    // None when there is no note.
    std::optional<std::string> note;
    bool high = false;
    bool done = false;
    // The due day at midnight; none without a due date.
    std::optional<double> due;
    // The reminder's local date-time to the second; none when the reminder is off.
    std::optional<double> reminder;
    // With a reminder only: the sound it plays (a file name of the sound folder, empty for
    // none named); none when it plays no sound.
    std::optional<std::string> sound;
    // The category, which is the server's list the to-do is in.
    int32_t category = 0;
};

bool operator==(const TSyncTask& a, const TSyncTask& b);

// How the sync compares times: a reminder to the whole second, a due date by its day (the day
// at midnight).
long long SyncSeconds(double dateTime);
double SyncDay(double dateTime);

// The task's fields as the sync sees them: a due date or a reminder that is off is none, and
// so is the sound of a task whose reminder is off.
TSyncTask SyncTaskOf(const TMyRec2& task);
// Writes the fields into the editor's record and the done mark. What is off keeps the date the
// record holds (the editor keeps dates for fields that are off); a reminder without a sound
// keeps the sound file named.
void ApplySyncTask(const TSyncTask& fields, TTaskEdit& task, int32_t& done);

// The fields a merge decides one by one. The reminder holds its time and its sound.
enum class TSyncField { Name, Note, Priority, Done, Due, Reminder, Category };
inline constexpr TSyncField SyncFields[] = {
    TSyncField::Name, TSyncField::Note,     TSyncField::Priority, TSyncField::Done,
    TSyncField::Due,  TSyncField::Reminder, TSyncField::Category};

// The field's name for the sync log ("name", "note", "priority", "done", "due", "reminder",
// "category").
const char* SyncFieldName(TSyncField field);
bool SameField(TSyncField field, const TSyncTask& a, const TSyncTask& b);
// The field's value as the sync log shows it: the text, "high"/"normal", "yes"/"no",
// "YYYY-MM-DD", "YYYY-MM-DD HH:MM" and " sound FILE" when it plays one, the category's id; ""
// for none.
std::string SyncFieldText(TSyncField field, const TSyncTask& task);

// One side's version of a task and the time of its last change (a local date-time): for the
// server its LAST-MODIFIED, else its DTSTAMP, else the moment the sync saw the change; for
// this side the time the state noted with the change.
struct TSyncVersion {
    TSyncTask task;
    double changedAt = 0;
};

enum class TSyncSide { Local, Server };

// A field both sides changed to different values: the newer edit was kept, the other one lost
// and goes to the sync log, so that it can be seen and restored.
struct TSyncConflict {
    TSyncField field;
    TSyncSide winner;
    std::string kept;
    std::string lost;
};

struct TMergeResult {
    TSyncTask merged;
    std::vector<TSyncConflict> conflicts;
    // Whether the merged task differs from this side's, or from the server's: what must be
    // written where.
    bool changesLocal = false;
    bool changesServer = false;
};

// The three-way merge against the copy both sides had at the last sync (none when they never
// shared one: both were made apart, as on a first sync). A field changed on one side takes
// that side's value; a field changed on both sides to different values takes the newer edit,
// this side's on a tie.
TMergeResult MergeTask(const std::optional<TSyncTask>& kept, const TSyncVersion& local,
                       const TSyncVersion& server);

// Where one task stands on each side since the last sync.
enum class TLocalState {
    // Not here, and not deleted here since the last sync.
    Absent,
    Unchanged,
    // Changed since the last sync, or new.
    Changed,
    // Deleted here since the last sync (a tombstone).
    Deleted,
};
enum class TServerState {
    // Not on the server, and not known from a last sync.
    Absent,
    // The ETag the last sync kept.
    Unchanged,
    // Another ETag, or new.
    Changed,
    // Known from the last sync and gone from the server.
    Deleted,
};

enum class TSyncAction {
    Nothing,
    // Upload this side's task over the server's copy (If-Match the kept ETag).
    Upload,
    // Upload as a new to-do (If-None-Match: *): new here, or edited here and deleted there.
    UploadNew,
    // Write the server's to-do into the task here.
    Download,
    // Make a task here from the server's to-do: new there, or edited there and deleted here.
    CreateLocal,
    // Both changed: MergeTask, then write what it says where it says.
    Merge,
    // Delete on the server (If-Match the kept ETag); the safety valve may hold it.
    DeleteOnServer,
    // Delete here; the safety valve may hold it.
    DeleteLocal,
    // Gone on both sides: drop what the state keeps of it.
    Forget,
};

// What a sync does with one task. known: the state holds the task from a last sync (its href,
// its ETag, its kept copy); a known task missing from a side counts as deleted there. Edit
// beats delete on either side. A task on both sides that the state does not know (made on
// both sides with one UID, or found on both at a first sync) is merged without a kept copy.
TSyncAction DecideSync(bool known, TLocalState local, TServerState server);

// Why deletions wait for the user.
enum class TDeletionHold {
    None,
    // The account's first sync: an empty side is not a side that deleted everything.
    FirstSync,
    // The server's address changed since the last sync: another server, or a restored one.
    AddressChanged,
    // A list of ten tasks or more would lose more than half of them at once.
    ManyAtOnce,
};

// Whether the deletions a sync found in one list, on one side, go through or wait for the user
// (who confirms them, or gives the tasks back to the side that deleted them). listSize is the
// number of tasks the list held at the last sync on the side that would lose them.
TDeletionHold HoldDeletions(bool firstSync, bool addressChanged, int listSize, int deletions);
