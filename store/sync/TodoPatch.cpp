// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/sync/TodoPatch.h"

#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"
#include "store/exchange/IcalTodo.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

const char* const Source = "The server's to-do";

// The text is edited line by line, so that what is not rewritten goes back exactly as it came:
// libical reads the fields and writes the new lines, but never the whole text.

struct TLine {
    // As it came: its folded continuation lines and its line end included.
    std::string raw;
    // The property's name in capitals (BEGIN and END too); empty for a blank line.
    std::string name;
    // For BEGIN and END: the component's name in capitals.
    std::string value;
};

struct TComponent;

// A property's line, or a component inside the one that holds it.
struct TItem {
    TLine line;
    std::unique_ptr<TComponent> component;
};

struct TComponent {
    TLine begin;
    std::vector<TItem> items;
    TLine end;
    const std::string& Name() const { return begin.value; }
};

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Trimmed(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r\n") + 1 - begin);
}

TLine MakeLine(std::string text) {
    TLine line{std::move(text), {}, {}};
    // A line break followed by a space or a tab continues the line: both go.
    std::string unfolded;
    const std::string& raw = line.raw;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            continue;
        if (raw[i] == '\n') {
            if (i + 1 < raw.size() && (raw[i + 1] == ' ' || raw[i + 1] == '\t'))
                ++i;
            continue;
        }
        unfolded += raw[i];
    }
    const size_t end = unfolded.find_first_of(";:");
    line.name = Upper(Trimmed(unfolded.substr(0, end)));
    if ((line.name == "BEGIN" || line.name == "END") && end != std::string::npos)
        line.value = Upper(Trimmed(unfolded.substr(end + 1)));
    return line;
}

// The content lines of a text: each physical line with the ones that continue it.
std::vector<TLine> SplitLines(const std::string& text) {
    std::vector<std::string> raws;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string physical = text.substr(start, end - start);
        if (!raws.empty() && (physical[0] == ' ' || physical[0] == '\t'))
            raws.back() += physical;
        else
            raws.push_back(std::move(physical));
        start = end;
    }
    std::vector<TLine> lines;
    for (std::string& raw : raws)
        lines.push_back(MakeLine(std::move(raw)));
    return lines;
}

// The lines as a tree of components. The text passed libical's parser, which checks that the
// components nest; a stray END stays a line of its own.
std::vector<TItem> BuildTree(std::vector<TLine> lines) {
    std::vector<TItem> top;
    std::vector<TComponent*> open;
    auto items = [&]() -> std::vector<TItem>& { return open.empty() ? top : open.back()->items; };
    for (TLine& line : lines) {
        if (line.name == "BEGIN") {
            auto component = std::make_unique<TComponent>();
            component->begin = std::move(line);
            TComponent* inner = component.get();
            items().push_back({{}, std::move(component)});
            open.push_back(inner);
        } else if (line.name == "END" && !open.empty() && open.back()->Name() == line.value) {
            open.back()->end = std::move(line);
            open.pop_back();
        } else {
            items().push_back({std::move(line), nullptr});
        }
    }
    return top;
}

void Write(const std::vector<TItem>& items, std::string& out) {
    for (const TItem& item : items) {
        if (!item.component) {
            out += item.line.raw;
            continue;
        }
        out += item.component->begin.raw;
        Write(item.component->items, out);
        out += item.component->end.raw;
    }
}

bool HasProperty(const TComponent& component, const std::string& name) {
    for (const TItem& item : component.items)
        if (!item.component && item.line.name == name)
            return true;
    return false;
}

// The resource's own to-do: the first VTODO without a RECURRENCE-ID, at the top or in a
// VCALENDAR. The same rule finds it in the lines and in libical's components.
TComponent* FindTodo(std::vector<TItem>& items) {
    for (TItem& item : items) {
        if (!item.component)
            continue;
        TComponent& component = *item.component;
        if (component.Name() == "VTODO" && !HasProperty(component, "RECURRENCE-ID"))
            return &component;
        if (component.Name() == "VCALENDAR")
            if (TComponent* todo = FindTodo(component.items))
                return todo;
    }
    return nullptr;
}

icalcomponent* FindTodo(icalcomponent* component) {
    const icalcomponent_kind kind = icalcomponent_isa(component);
    if (kind == ICAL_VTODO_COMPONENT &&
        !icalcomponent_get_first_property(component, ICAL_RECURRENCEID_PROPERTY))
        return component;
    if (kind != ICAL_VCALENDAR_COMPONENT)
        return nullptr;
    for (icalcomponent* c = icalcomponent_get_first_component(component, ICAL_VTODO_COMPONENT); c;
         c = icalcomponent_get_next_component(component, ICAL_VTODO_COMPONENT))
        if (!icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY))
            return c;
    return nullptr;
}

std::vector<TComponent*> Alarms(TComponent& todo) {
    std::vector<TComponent*> alarms;
    for (TItem& item : todo.items)
        if (item.component && item.component->Name() == "VALARM")
            alarms.push_back(item.component.get());
    return alarms;
}

// The organizer's alarm: the first one with an absolute trigger, and its place among the
// to-do's alarms.
struct TOrganizerAlarm {
    icalcomponent* alarm = nullptr;
    size_t index = 0;
};

TOrganizerAlarm FindOrganizerAlarm(icalcomponent* todo) {
    size_t index = 0;
    for (icalcomponent* alarm = icalcomponent_get_first_component(todo, ICAL_VALARM_COMPONENT);
         alarm; alarm = icalcomponent_get_next_component(todo, ICAL_VALARM_COMPONENT), ++index) {
        icalproperty* trigger = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
        if (trigger && !icaltime_is_null_time(icalproperty_get_trigger(trigger).time))
            return {alarm, index};
    }
    return {};
}

TSyncTask FieldsOf(icalcomponent* todo) {
    const TImportedTask item = ReadTodo(todo);
    TSyncTask task;
    task.name = item.task.strName;
    task.note = item.task.strNote;
    task.high = item.task.intPriority == 0;
    task.done = item.intDone == 1;
    if (item.task.intDue == 1)
        task.due = item.task.dateDue;
    if (const TOrganizerAlarm ours = FindOrganizerAlarm(todo); ours.alarm) {
        icalproperty* trigger = icalcomponent_get_first_property(ours.alarm, ICAL_TRIGGER_PROPERTY);
        task.reminder = LocalTimeOf(icalproperty_get_trigger(trigger).time);
        TTaskEdit sound;
        ReadAlarmSound(ours.alarm, sound);
        if (sound.intSound == 1)
            task.sound = sound.strSoundFile;
    }
    return task;
}

// The text parsed twice: by libical, to read it, and into lines, to edit it.
struct TParsedTodo {
    std::vector<TIcalComponent> roots;
    icalcomponent* todo = nullptr;
    std::vector<TItem> tree;
    TComponent* lines = nullptr;
    // Whether the text ends its lines with CR LF, as iCalendar should, or with LF alone.
    bool crlf = true;
};

TParsedTodo Parse(const std::string& text) {
    TParsedTodo parsed;
    parsed.roots = ParseIcalComponents(text, Source);
    for (const TIcalComponent& root : parsed.roots)
        if ((parsed.todo = FindTodo(root.get())))
            break;
    std::vector<TLine> lines = SplitLines(text);
    if (!lines.empty() && !lines[0].raw.ends_with("\r\n") && lines[0].raw.ends_with("\n"))
        parsed.crlf = false;
    parsed.tree = BuildTree(std::move(lines));
    parsed.lines = FindTodo(parsed.tree);
    if (!parsed.todo || !parsed.lines)
        throw StoreError(std::string(Source) + " holds no to-do (VTODO).");
    return parsed;
}

icaltimetype UtcMoment(std::time_t moment) {
    return icaltime_from_timet_with_zone(moment, 0, icaltimezone_get_utc_timezone());
}

// Rewrites lines of one component of the to-do.
class TEditor {
public:
    explicit TEditor(bool crlf) : crlf_(crlf) {}

    // The property's line as libical writes it, with the text's line ends. Takes the property.
    TLine Line(icalproperty* property) const {
        char* text = icalproperty_as_ical_string_r(property);
        std::string raw = text ? text : "";
        icalmemory_free_buffer(text);
        if (!icalproperty_get_parent(property))
            icalproperty_free(property);
        return MakeLine(WithNewline(raw));
    }

    // Replaces the first line of the property's name, or adds it after the component's other
    // properties, before the components inside it.
    void Set(TComponent& component, icalproperty* property) const {
        if (!property)
            return;
        TLine line = Line(property);
        for (TItem& item : component.items)
            if (!item.component && item.line.name == line.name) {
                item.line = std::move(line);
                return;
            }
        auto at = component.items.begin();
        while (at != component.items.end() && !at->component)
            ++at;
        // Blank lines at the end stay at the end.
        while (at != component.items.begin() && !std::prev(at)->component &&
               std::prev(at)->line.name.empty())
            --at;
        component.items.insert(at, TItem{std::move(line), nullptr});
    }

    void Remove(TComponent& component, const std::string& name) const {
        std::erase_if(component.items,
                      [&](const TItem& item) { return !item.component && item.line.name == name; });
    }

    // Adds a component at the end of the other one.
    void Add(TComponent& component, icalcomponent* inner) const {
        char* text = icalcomponent_as_ical_string_r(inner);
        std::vector<TItem> tree = BuildTree(SplitLines(WithNewline(text ? text : "")));
        icalmemory_free_buffer(text);
        for (TItem& item : tree)
            if (item.component)
                component.items.push_back(std::move(item));
    }

private:
    std::string WithNewline(const std::string& text) const {
        if (crlf_)
            return text;
        std::string out;
        for (size_t i = 0; i < text.size(); ++i)
            if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
                out += text[i];
        return out;
    }

    bool crlf_;
};

int IntegerValue(icalcomponent* component, icalproperty_kind kind) {
    icalproperty* property = icalcomponent_get_first_property(component, kind);
    if (!property)
        return -1;
    const char* text = icalproperty_get_value_as_string(property);
    return text ? std::atoi(text) : -1;
}

void WriteDone(const TEditor& editor, TParsedTodo& parsed, bool done, std::time_t now,
               bool everyField) {
    TComponent& todo = *parsed.lines;
    icalproperty* status = icalcomponent_get_first_property(parsed.todo, ICAL_STATUS_PROPERTY);
    const bool hasPercent =
        icalcomponent_get_first_property(parsed.todo, ICAL_PERCENTCOMPLETE_PROPERTY);
    if (done) {
        editor.Set(todo, icalproperty_new_status(ICAL_STATUS_COMPLETED));
        if (!icalcomponent_get_first_property(parsed.todo, ICAL_COMPLETED_PROPERTY))
            editor.Set(todo, icalproperty_new_completed(UtcMoment(now)));
        if (hasPercent)
            editor.Set(todo, icalproperty_new_percentcomplete(100));
        return;
    }
    // Another program's "in process" stays; only a completed status goes back to needing action.
    if (everyField || (status && icalproperty_get_status(status) == ICAL_STATUS_COMPLETED))
        editor.Set(todo, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
    editor.Remove(todo, "COMPLETED");
    if (hasPercent && IntegerValue(parsed.todo, ICAL_PERCENTCOMPLETE_PROPERTY) == 100)
        editor.Remove(todo, "PERCENT-COMPLETE");
}

void WriteDue(const TEditor& editor, TParsedTodo& parsed, const std::optional<double>& due) {
    if (!due) {
        editor.Remove(*parsed.lines, "DUE");
        return;
    }
    icalproperty* property = icalcomponent_get_first_property(parsed.todo, ICAL_DUE_PROPERTY);
    const std::optional<icaltimetype> old = TimeOf(parsed.todo, ICAL_DUE_PROPERTY);
    if (!property || !old || old->is_date) {
        editor.Set(*parsed.lines, icalproperty_new_due(IcalDate(*due)));
        return;
    }
    // A due time moves to the new day and keeps its time and its zone.
    const double days = std::round(SyncDay(*due) - SyncDay(LocalTimeOf(*old)));
    icaltimetype moved = icalproperty_get_due(property);
    icaltime_adjust(&moved, static_cast<int>(days), 0, 0, 0);
    icalproperty_set_due(property, moved);
    editor.Set(*parsed.lines, property);
}

TMyRec2 AlarmRecord(const TSyncTask& task) {
    TMyRec2 record;
    record.strName = task.name;
    record.intReminder = 1;
    record.datetimeReminder = task.reminder.value_or(0);
    record.intSound = task.sound ? 1 : 0;
    record.strSoundFile = task.sound.value_or("");
    return record;
}

void WriteReminder(const TEditor& editor, TParsedTodo& parsed, const TSyncTask& current,
                   const TSyncTask& task) {
    const TOrganizerAlarm ours = FindOrganizerAlarm(parsed.todo);
    std::vector<TComponent*> alarms = Alarms(*parsed.lines);
    TComponent* lines = ours.alarm && ours.index < alarms.size() ? alarms[ours.index] : nullptr;
    if (!task.reminder) {
        if (lines)
            std::erase_if(parsed.lines->items,
                          [&](const TItem& item) { return item.component.get() == lines; });
        return;
    }
    TIcalComponent fresh(MakeReminderAlarm(AlarmRecord(task)));
    auto property = [&](icalproperty_kind kind) {
        icalproperty* p = icalcomponent_get_first_property(fresh.get(), kind);
        return p ? icalproperty_new_clone(p) : nullptr;
    };
    if (!lines) {
        editor.Add(*parsed.lines, fresh.get());
        return;
    }
    if (!current.reminder || SyncSeconds(*current.reminder) != SyncSeconds(*task.reminder))
        editor.Set(*lines, property(ICAL_TRIGGER_PROPERTY));
    if (current.sound == task.sound)
        return;
    editor.Set(*lines, property(ICAL_ACTION_PROPERTY));
    if (icalproperty* attach = property(ICAL_ATTACH_PROPERTY))
        editor.Set(*lines, attach);
    else
        editor.Remove(*lines, "ATTACH");
    // A display alarm must say something.
    if (!task.sound && !HasProperty(*lines, "DESCRIPTION"))
        editor.Set(*lines, property(ICAL_DESCRIPTION_PROPERTY));
}

std::string Patch(const std::string& text, const TSyncTask& task, std::time_t now,
                  bool everyField) {
    TParsedTodo parsed = Parse(text);
    const TSyncTask current = FieldsOf(parsed.todo);
    const TEditor editor(parsed.crlf);
    TComponent& todo = *parsed.lines;
    bool changed = false;
    for (TSyncField field : SyncFields) {
        // The category is the list the to-do is in, not a line of it.
        if (field == TSyncField::Category || (!everyField && SameField(field, current, task)))
            continue;
        changed = true;
        switch (field) {
        case TSyncField::Name:
            editor.Set(todo, icalproperty_new_summary(task.name.c_str()));
            break;
        case TSyncField::Note:
            if (task.note)
                editor.Set(todo, icalproperty_new_description(WithLineFeeds(*task.note).c_str()));
            else
                editor.Remove(todo, "DESCRIPTION");
            break;
        case TSyncField::Priority:
            editor.Set(todo, icalproperty_new_priority(task.high ? 1 : 5));
            break;
        case TSyncField::Done:
            WriteDone(editor, parsed, task.done, now, everyField);
            break;
        case TSyncField::Due:
            WriteDue(editor, parsed, task.due);
            break;
        case TSyncField::Reminder:
            WriteReminder(editor, parsed, current, task);
            break;
        case TSyncField::Category:
            break;
        }
    }
    if (!changed)
        return text;
    editor.Set(todo, icalproperty_new_dtstamp(UtcMoment(now)));
    editor.Set(todo, icalproperty_new_lastmodified(UtcMoment(now)));
    if (const int sequence = IntegerValue(parsed.todo, ICAL_SEQUENCE_PROPERTY); sequence >= 0)
        editor.Set(todo, icalproperty_new_sequence(sequence + 1));
    std::string out;
    Write(parsed.tree, out);
    return out;
}

} // namespace

TServerTodo ReadServerTodo(const std::string& text) {
    const TParsedTodo parsed = Parse(text);
    TServerTodo todo;
    const char* uid = icalcomponent_get_uid(parsed.todo);
    todo.uid = uid ? uid : "";
    todo.task = FieldsOf(parsed.todo);
    for (icalproperty_kind kind : {ICAL_LASTMODIFIED_PROPERTY, ICAL_DTSTAMP_PROPERTY}) {
        icalproperty* property = icalcomponent_get_first_property(parsed.todo, kind);
        const icaltimetype time =
            property ? icalproperty_get_datetime_with_component(property, parsed.todo)
                     : icaltime_null_time();
        if (!icaltime_is_null_time(time) && icaltime_is_valid_time(time)) {
            todo.changedAt = LocalTimeOf(time);
            break;
        }
    }
    return todo;
}

std::string PatchTodo(const std::string& text, const TSyncTask& task, std::time_t now) {
    return Patch(text, task, now, false);
}

std::string NewTodoText(const TSyncTask& task, const std::string& uid, std::time_t now) {
    TIcalComponent calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid(IcalProductId));
    icalcomponent* todo = icalcomponent_new(ICAL_VTODO_COMPONENT);
    icalcomponent_add_property(todo, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(todo, icalproperty_new_created(UtcMoment(now)));
    icalcomponent_add_component(calendar.get(), todo);
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    const std::string skeleton = text ? text : "";
    icalmemory_free_buffer(text);
    return Patch(skeleton, task, now, true);
}
