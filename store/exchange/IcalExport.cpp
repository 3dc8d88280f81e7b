// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/exchange/IcalExchange.h"

#include "store/dates/dateUnit.h"
#include "store/db/StoreError.h"
#include "store/exchange/IcalHandle.h"
#include "store/exchange/IcalTodo.h"
#include "store/instance/InstanceSocket.h"
#include "store/records/TaskTable.h"
#include "store/records/TaskUid.h"

#include <cstdio>

icaltimetype IcalDate(double day) {
    const TCalendarDate date = DecodeDate(day);
    icaltimetype value = icaltime_null_date();
    value.year = date.year;
    value.month = date.month;
    value.day = date.day;
    return value;
}

namespace {

// A local date-time as a UTC time.
icaltimetype UtcTime(double localDateTime) {
    return icaltime_from_timet_with_zone(MomentOf(localDateTime), 0,
                                         icaltimezone_get_utc_timezone());
}

// The file name as a relative URI reference: everything but letters, digits and -._~ is
// percent-encoded, so that spaces and non-Latin names survive any reader.
std::string FileNameUri(const std::string& name) {
    std::string uri;
    for (unsigned char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            uri += escaped;
        }
    }
    return uri;
}

} // namespace

std::string WithLineFeeds(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r')
            out += text[i];
        else if (i + 1 >= text.size() || text[i + 1] != '\n')
            out += '\n';
    }
    return out;
}

icalcomponent* MakeReminderAlarm(const TMyRec2& task) {
    icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
    icaltriggertype trigger = icaltriggertype_from_int(0);
    trigger.time = UtcTime(task.datetimeReminder);
    if (task.intSound == 1) {
        icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_AUDIO));
        if (!task.strSoundFile.empty()) {
            icalattach* sound = icalattach_new_from_url(FileNameUri(task.strSoundFile).c_str());
            icalcomponent_add_property(alarm, icalproperty_new_attach(sound));
            icalattach_unref(sound);
        }
    } else {
        icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        // A display alarm must say something: the balloon shows the task's name too.
        icalcomponent_add_property(alarm, icalproperty_new_description(task.strName.c_str()));
    }
    icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
    return alarm;
}

icalcomponent* MakeTodo(const TMyRec2& task, const std::string& uid, icaltimetype stamp) {
    icalcomponent* todo = icalcomponent_new(ICAL_VTODO_COMPONENT);
    icalcomponent_add_property(todo, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(todo, icalproperty_new_dtstamp(stamp));
    icalcomponent_add_property(todo, icalproperty_new_summary(task.strName.c_str()));
    if (task.intMemo == 1 && !task.strNote.empty())
        icalcomponent_add_property(
            todo, icalproperty_new_description(WithLineFeeds(task.strNote).c_str()));
    if (!task.strCategory.empty())
        icalcomponent_add_property(todo, icalproperty_new_categories(task.strCategory.c_str()));
    icalcomponent_add_property(todo, icalproperty_new_priority(task.intPriority == 0 ? 1 : 5));
    icalcomponent_add_property(todo, icalproperty_new_status(task.intDone == 1
                                                                 ? ICAL_STATUS_COMPLETED
                                                                 : ICAL_STATUS_NEEDSACTION));
    if (task.intDue == 1)
        icalcomponent_add_property(todo, icalproperty_new_due(IcalDate(task.dateDue)));
    if (task.intReminder == 1)
        icalcomponent_add_component(todo, MakeReminderAlarm(task));
    return todo;
}

std::string ExportIcal(TDM& dm, int32_t category) {
    const std::vector<TMyRec2> tasks = ReadAllTasks(dm);
    const std::unordered_map<int32_t, std::string> uids = ReadTaskUids(dm);
    const icaltimetype stamp = UtcTime(Now());

    TIcalComponent calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid(IcalProductId));
    for (const TMyRec2& task : tasks)
        if (category <= 0 || task.intCategory == category)
            icalcomponent_add_component(calendar.get(), MakeTodo(task, uids.at(task.id), stamp));

    char* text = icalcomponent_as_ical_string_r(calendar.get());
    if (!text)
        throw StoreError("libical could not write the tasks as iCalendar.");
    std::string result(text);
    icalmemory_free_buffer(text);
    return result;
}
