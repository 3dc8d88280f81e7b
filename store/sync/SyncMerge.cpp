// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/sync/SyncMerge.h"

#include "store/dates/DateText.h"
#include "store/dates/dateUnit.h"

#include <cmath>

namespace {

double WholeSeconds(double dateTime) {
    return static_cast<double>(SyncSeconds(dateTime)) / 86400.0;
}

// A note typed here may end its lines with CR LF; a to-do's text carries LF alone.
std::string WithoutCarriageReturns(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] != '\r')
            out += text[i];
        else if (i + 1 >= text.size() || text[i + 1] != '\n')
            out += '\n';
    return out;
}

template <class T, class Same>
bool SameOptional(const std::optional<T>& a, const std::optional<T>& b, Same same) {
    return a.has_value() == b.has_value() && (!a || same(*a, *b));
}

void CopyField(TSyncField field, const TSyncTask& from, TSyncTask& to) {
    switch (field) {
    case TSyncField::Name:
        to.name = from.name;
        break;
    case TSyncField::Note:
        to.note = from.note;
        break;
    case TSyncField::Priority:
        to.high = from.high;
        break;
    case TSyncField::Done:
        to.done = from.done;
        break;
    case TSyncField::Due:
        to.due = from.due;
        break;
    case TSyncField::Reminder:
        to.reminder = from.reminder;
        to.sound = from.sound;
        break;
    case TSyncField::Category:
        to.category = from.category;
        break;
    }
}

bool SameTask(const TSyncTask& a, const TSyncTask& b) {
    for (TSyncField field : SyncFields)
        if (!SameField(field, a, b))
            return false;
    return true;
}

} // namespace

bool operator==(const TSyncTask& a, const TSyncTask& b) {
    return SameTask(a, b);
}

long long SyncSeconds(double dateTime) {
    return std::llround(dateTime * 86400.0);
}

double SyncDay(double dateTime) {
    const TCalendarDate day = DecodeDate(dateTime);
    return EncodeDate(day.year, day.month, day.day);
}

TSyncTask SyncTaskOf(const TMyRec2& task) {
    TSyncTask fields;
    fields.name = task.strName;
    if (task.intMemo == 1 && !IsBlank(task.strNote))
        fields.note = task.strNote;
    fields.high = task.intPriority == 0;
    fields.done = task.intDone == 1;
    if (task.intDue == 1)
        fields.due = SyncDay(task.dateDue);
    if (task.intReminder == 1) {
        fields.reminder = WholeSeconds(task.datetimeReminder);
        if (task.intSound == 1)
            fields.sound = task.strSoundFile;
    }
    fields.category = task.intCategory;
    return fields;
}

void ApplySyncTask(const TSyncTask& fields, TTaskEdit& task, int32_t& done) {
    task.strName = fields.name;
    task.strNote = fields.note;
    task.intPriority = fields.high ? 0 : 1;
    done = fields.done ? 1 : 0;
    task.intDue = fields.due ? 1 : 0;
    if (fields.due)
        task.dateDue = *fields.due;
    task.intReminder = fields.reminder ? 1 : 0;
    if (fields.reminder) {
        task.datetimeReminder = *fields.reminder;
        task.intSound = fields.sound ? 1 : 0;
        if (fields.sound)
            task.strSoundFile = *fields.sound;
    }
    task.intCategory = fields.category;
}

const char* SyncFieldName(TSyncField field) {
    switch (field) {
    case TSyncField::Name:
        return "name";
    case TSyncField::Note:
        return "note";
    case TSyncField::Priority:
        return "priority";
    case TSyncField::Done:
        return "done";
    case TSyncField::Due:
        return "due";
    case TSyncField::Reminder:
        return "reminder";
    case TSyncField::Category:
        return "category";
    }
    return "";
}

bool SameField(TSyncField field, const TSyncTask& a, const TSyncTask& b) {
    switch (field) {
    case TSyncField::Name:
        return a.name == b.name;
    case TSyncField::Note:
        return SameOptional(a.note, b.note, [](const std::string& x, const std::string& y) {
            return WithoutCarriageReturns(x) == WithoutCarriageReturns(y);
        });
    case TSyncField::Priority:
        return a.high == b.high;
    case TSyncField::Done:
        return a.done == b.done;
    case TSyncField::Due:
        return SameOptional(a.due, b.due,
                            [](double x, double y) { return SyncDay(x) == SyncDay(y); });
    case TSyncField::Reminder:
        return SameOptional(a.reminder, b.reminder,
                            [](double x, double y) { return SyncSeconds(x) == SyncSeconds(y); }) &&
               a.sound == b.sound;
    case TSyncField::Category:
        return a.category == b.category;
    }
    return true;
}

std::string SyncFieldText(TSyncField field, const TSyncTask& task) {
    switch (field) {
    case TSyncField::Name:
        return task.name;
    case TSyncField::Note:
        return task.note.value_or("");
    case TSyncField::Priority:
        return task.high ? "high" : "normal";
    case TSyncField::Done:
        return task.done ? "yes" : "no";
    case TSyncField::Due:
        return task.due ? FormatDate(*task.due) : "";
    case TSyncField::Reminder:
        if (!task.reminder)
            return "";
        return FormatDateMinute(*task.reminder) + (task.sound ? " sound " + *task.sound : "");
    case TSyncField::Category:
        return std::to_string(task.category);
    }
    return "";
}

TMergeResult MergeTask(const std::optional<TSyncTask>& kept, const TSyncVersion& local,
                       const TSyncVersion& server) {
    TMergeResult result;
    result.merged = local.task;
    for (TSyncField field : SyncFields) {
        if (SameField(field, local.task, server.task))
            continue;
        const bool localChanged = !kept || !SameField(field, *kept, local.task);
        const bool serverChanged = !kept || !SameField(field, *kept, server.task);
        if (localChanged && serverChanged) {
            const bool serverNewer = server.changedAt > local.changedAt;
            const TSyncTask& winner = serverNewer ? server.task : local.task;
            const TSyncTask& loser = serverNewer ? local.task : server.task;
            CopyField(field, winner, result.merged);
            result.conflicts.push_back({field, serverNewer ? TSyncSide::Server : TSyncSide::Local,
                                        SyncFieldText(field, winner), SyncFieldText(field, loser)});
        } else if (serverChanged) {
            CopyField(field, server.task, result.merged);
        }
    }
    result.changesLocal = !SameTask(result.merged, local.task);
    result.changesServer = !SameTask(result.merged, server.task);
    return result;
}

TSyncAction DecideSync(bool known, TLocalState local, TServerState server) {
    if (known) {
        // For a task the last sync knew, missing from a side is deleted on that side.
        const bool localGone = local == TLocalState::Deleted || local == TLocalState::Absent;
        const bool serverGone = server == TServerState::Deleted || server == TServerState::Absent;
        if (localGone && serverGone)
            return TSyncAction::Forget;
        if (localGone)
            return server == TServerState::Changed ? TSyncAction::CreateLocal
                                                   : TSyncAction::DeleteOnServer;
        if (serverGone)
            return local == TLocalState::Changed ? TSyncAction::UploadNew
                                                 : TSyncAction::DeleteLocal;
        if (local == TLocalState::Changed)
            return server == TServerState::Changed ? TSyncAction::Merge : TSyncAction::Upload;
        return server == TServerState::Changed ? TSyncAction::Download : TSyncAction::Nothing;
    }
    // Unknown to the state: whatever is on a side is new to the other one.
    const bool here = local == TLocalState::Changed || local == TLocalState::Unchanged;
    const bool there = server == TServerState::Changed || server == TServerState::Unchanged;
    if (here && there)
        return TSyncAction::Merge;
    if (here)
        return TSyncAction::UploadNew;
    if (there)
        return TSyncAction::CreateLocal;
    return local == TLocalState::Deleted ? TSyncAction::Forget : TSyncAction::Nothing;
}

TDeletionHold HoldDeletions(bool firstSync, bool addressChanged, int listSize, int deletions) {
    if (deletions <= 0)
        return TDeletionHold::None;
    if (firstSync)
        return TDeletionHold::FirstSync;
    if (addressChanged)
        return TDeletionHold::AddressChanged;
    if (listSize >= 10 && deletions * 2 > listSize)
        return TDeletionHold::ManyAtOnce;
    return TDeletionHold::None;
}
