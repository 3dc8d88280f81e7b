// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/exchange/IcalExchange.h"

#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"
#include "store/exchange/IcalHandle.h"
#include "store/exchange/IcalTodo.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string_view>

namespace {

// Hands libical's parser one line at a time, as fgets would.
struct TLineSource {
    const char* next;
    const char* end;
};

char* NextLine(char* buffer, size_t size, void* data) {
    auto* source = static_cast<TLineSource*>(data);
    if (source->next == source->end || size < 2)
        return nullptr;
    size_t n = 0;
    while (source->next + n < source->end && n < size - 1)
        if (source->next[n++] == '\n')
            break;
    std::memcpy(buffer, source->next, n);
    buffer[n] = '\0';
    source->next += n;
    return buffer;
}

// The text of the first error of that kind libical left in the component or below it.
std::optional<std::string> FirstError(icalcomponent* component, icalparameter_xlicerrortype kind) {
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY)) {
        icalparameter* type = icalproperty_get_first_parameter(p, ICAL_XLICERRORTYPE_PARAMETER);
        if (type && icalparameter_get_xlicerrortype(type) == kind)
            return std::string(icalproperty_get_xlicerror(p));
    }
    for (icalcomponent* c = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT))
        if (auto error = FirstError(c, kind))
            return error;
    return std::nullopt;
}

// How deep components may nest. Real calendars go three deep (VCALENDAR, VTODO, VALARM);
// libical walks its tree recursively, so a file nested thousands deep would overflow the stack.
constexpr size_t MaxNesting = 64;

// The parser closes the innermost component at any END line, whatever name follows, so a
// file cut inside its last line, or one whose components cross, would pass as whole: this
// keeps the names of the open components and checks that each END names the innermost one.
class TNesting {
public:
    // False when the unfolded line ends another component than the innermost open one.
    bool Follow(const char* line) {
        std::string text(line);
        text.erase(text.find_last_not_of("\r\n \t") + 1);
        const size_t colon = text.find(':');
        if (colon == std::string::npos)
            return true;
        const std::string word = Upper(text.substr(0, colon)), name = Upper(text.substr(colon + 1));
        if (word == "BEGIN") {
            if (open_.size() == MaxNesting)
                throw StoreError(source_ + " nests its components more than " +
                                 std::to_string(MaxNesting) +
                                 " deep: it is not a calendar "
                                 "this program reads.");
            open_.push_back(name);
        } else if (word == "END") {
            if (open_.empty() || open_.back() != name)
                return false;
            open_.pop_back();
        }
        return true;
    }

    explicit TNesting(std::string source) : source_(std::move(source)) {}

private:
    static std::string Upper(std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    }
    std::string source_;
    std::vector<std::string> open_;
};

} // namespace

std::vector<TIcalComponent> ParseIcalComponents(const std::string& text,
                                                const std::string& source) {
    if (text.find('\0') != std::string::npos)
        throw StoreError(source + " is not an iCalendar file.");
    TLineSource lines{text.data(), text.data() + text.size()};
    icalparser* parser = icalparser_new();
    icalparser_set_gen_data(parser, &lines);
    std::vector<TIcalComponent> roots;
    TNesting nesting(source);
    bool crossed = false;
    std::optional<StoreError> tooDeep;
    for (bool more = true; more && !crossed && !tooDeep;) {
        char* line = icalparser_get_line(parser, NextLine);
        try {
            crossed = line && !nesting.Follow(line);
        } catch (const StoreError& error) {
            tooDeep = error;
        }
        if (icalcomponent* root = crossed || tooDeep ? nullptr : icalparser_add_line(parser, line))
            roots.emplace_back(root);
        more = line != nullptr;
        icalmemory_free_buffer(line);
    }
    // What the parser still holds stays its own, and goes with it.
    const bool unfinished = icalparser_clean(parser) != nullptr;
    icalparser_free(parser);
    if (tooDeep)
        throw *tooDeep;
    if (crossed)
        throw StoreError(source + " is damaged: a component ends that is not the one open, or "
                                  "the file is cut inside its last line.");
    if (unfinished)
        throw StoreError(source + " ends before its last component is closed: the file is "
                                  "incomplete.");
    if (roots.empty())
        throw StoreError(source + " is not an iCalendar file.");
    for (const TIcalComponent& root : roots)
        if (auto error = FirstError(root.get(), ICAL_XLICERRORTYPE_COMPONENTPARSEERROR))
            throw StoreError(source + " is damaged: " + *error);
    return roots;
}

namespace {

std::string PercentDecoded(const std::string& text) {
    auto hex = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 &&
            hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

double LocalTimeOf(const icaltimetype& time) {
    if (time.is_date)
        return EncodeDate(time.year, time.month, time.day);
    if (time.zone)
        return LocalDateTime(icaltime_as_timet_with_zone(time, time.zone));
    return EncodeDateTime({{time.year, time.month, time.day}, time.hour, time.minute, time.second});
}

namespace {

double LocalTimeAfter(const icaltimetype& base, int seconds) {
    if (!base.is_date && base.zone)
        return LocalDateTime(icaltime_as_timet_with_zone(base, base.zone) + seconds);
    return LocalTimeOf(base) + seconds / 86400.0;
}

} // namespace

std::optional<icaltimetype> TimeOf(icalcomponent* todo, icalproperty_kind kind) {
    icalproperty* property = icalcomponent_get_first_property(todo, kind);
    if (!property)
        return std::nullopt;
    const icaltimetype time = icalproperty_get_datetime_with_component(property, todo);
    if (icaltime_is_null_time(time) || !icaltime_is_valid_time(time))
        return std::nullopt;
    return time;
}

namespace {

std::optional<double> AlarmTime(icalcomponent* todo, icalcomponent* alarm) {
    icalproperty* property = icalcomponent_get_first_property(alarm, ICAL_TRIGGER_PROPERTY);
    if (!property)
        return std::nullopt;
    const icaltriggertype trigger = icalproperty_get_trigger(property);
    if (!icaltime_is_null_time(trigger.time))
        return LocalTimeOf(trigger.time);
    // A relative trigger counts from DTSTART unless it says END (DUE for a to-do); when the
    // one it names is missing, the other one serves.
    icalparameter* related = icalproperty_get_first_parameter(property, ICAL_RELATED_PARAMETER);
    const bool fromDue = related && icalparameter_get_related(related) == ICAL_RELATED_END;
    auto base = TimeOf(todo, fromDue ? ICAL_DUE_PROPERTY : ICAL_DTSTART_PROPERTY);
    if (!base)
        base = TimeOf(todo, fromDue ? ICAL_DTSTART_PROPERTY : ICAL_DUE_PROPERTY);
    if (!base)
        return std::nullopt;
    return LocalTimeAfter(*base, icaldurationtype_as_int(trigger.duration));
}

} // namespace

void ReadAlarmSound(icalcomponent* alarm, TTaskEdit& task) {
    icalproperty* action = icalcomponent_get_first_property(alarm, ICAL_ACTION_PROPERTY);
    if (!action || icalproperty_get_action(action) != ICAL_ACTION_AUDIO)
        return;
    task.intSound = 1;
    icalproperty* attach = icalcomponent_get_first_property(alarm, ICAL_ATTACH_PROPERTY);
    icalattach* sound = attach ? icalproperty_get_attach(attach) : nullptr;
    if (sound && icalattach_get_is_url(sound)) {
        // The file's name only: ImportTasks keeps it when the sound folder has it.
        const std::string url = icalattach_get_url(sound);
        task.strSoundFile = std::filesystem::path(PercentDecoded(url)).filename().string();
    }
}

namespace {

// The first alarm whose time can be told sets the reminder; an audio alarm also the sound.
void ReadReminder(icalcomponent* todo, TTaskEdit& task) {
    for (icalcomponent* alarm = icalcomponent_get_first_component(todo, ICAL_VALARM_COMPONENT);
         alarm; alarm = icalcomponent_get_next_component(todo, ICAL_VALARM_COMPONENT)) {
        const auto when = AlarmTime(todo, alarm);
        if (!when)
            continue;
        task.intReminder = 1;
        task.datetimeReminder = *when;
        ReadAlarmSound(alarm, task);
        return;
    }
}

// A name is one line: line breaks and tabs inside it become spaces.
std::string OneLine(const std::string& text) {
    std::string line = TrimName(text);
    for (char& c : line)
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    return line;
}

std::string NameOf(icalcomponent* todo, const std::optional<std::string>& note) {
    const char* summary = icalcomponent_get_summary(todo);
    std::string name = OneLine(summary ? summary : "");
    if (!name.empty())
        return name;
    // Nothing is dropped for want of a name: the note's first line, else a stand-in.
    std::istringstream lines(note.value_or(""));
    for (std::string line; std::getline(lines, line);)
        if (!IsBlank(line))
            return OneLine(line);
    return "Untitled task";
}

} // namespace

TImportedTask ReadTodo(icalcomponent* todo) {
    TImportedTask item;
    item.task = NewTaskEdit();
    TTaskEdit& task = item.task;
    if (const char* uid = icalcomponent_get_uid(todo))
        item.uid = uid;

    const char* description = icalcomponent_get_description(todo);
    if (description && !IsBlank(description))
        task.strNote = description;
    task.strName = NameOf(todo, task.strNote);

    for (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_CATEGORIES_PROPERTY); p;
         p = icalcomponent_get_next_property(todo, ICAL_CATEGORIES_PROPERTY)) {
        const char* value = icalproperty_get_categories(p);
        const std::string name = OneLine(value ? value : "");
        if (!name.empty())
            item.categories.push_back(name);
    }

    if (icalproperty* p = icalcomponent_get_first_property(todo, ICAL_PRIORITY_PROPERTY)) {
        const int priority = icalproperty_get_priority(p);
        task.intPriority = priority >= 1 && priority <= 4 ? 0 : 1;
    }
    icalproperty* status = icalcomponent_get_first_property(todo, ICAL_STATUS_PROPERTY);
    if ((status && icalproperty_get_status(status) == ICAL_STATUS_COMPLETED) ||
        icalcomponent_get_first_property(todo, ICAL_COMPLETED_PROPERTY))
        item.intDone = 1;

    if (const auto due = TimeOf(todo, ICAL_DUE_PROPERTY)) {
        const TCalendarDate day = DecodeDate(LocalTimeOf(*due));
        task.intDue = 1;
        task.dateDue = EncodeDate(day.year, day.month, day.day);
    }
    ReadReminder(todo, task);
    return item;
}

namespace {

void CollectTodos(icalcomponent* component, std::vector<TImportedTask>& tasks) {
    if (icalcomponent_isa(component) == ICAL_VTODO_COMPONENT) {
        tasks.push_back(ReadTodo(component));
        return;
    }
    if (icalcomponent_isa(component) != ICAL_VCALENDAR_COMPONENT)
        return;
    for (icalcomponent* c = icalcomponent_get_first_component(component, ICAL_VTODO_COMPONENT); c;
         c = icalcomponent_get_next_component(component, ICAL_VTODO_COMPONENT))
        tasks.push_back(ReadTodo(c));
}

} // namespace

std::vector<TImportedTask> ReadIcalText(const std::string& text, const std::string& sourceName) {
    // Some programs put a byte-order mark before the first line; it is not part of the text.
    const std::string_view mark = "\xEF\xBB\xBF";
    const std::vector<TIcalComponent> roots =
        ParseIcalComponents(text.starts_with(mark) ? text.substr(mark.size()) : text, sourceName);
    std::vector<TImportedTask> tasks;
    for (const TIcalComponent& root : roots)
        CollectTodos(root.get(), tasks);
    if (tasks.empty())
        throw StoreError(sourceName + " holds no to-do (VTODO).");
    return tasks;
}

std::vector<TImportedTask> ReadIcalFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw StoreError("Cannot read " + path + ": it is a folder.");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw StoreError("Cannot read " + path + ": " + std::strerror(errno) + ".");
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad())
        throw StoreError("Cannot read " + path + ": " + std::strerror(errno) + ".");
    return ReadIcalText(text, path);
}
