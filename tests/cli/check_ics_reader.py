# SPDX-License-Identifier: GPL-3.0-or-later

"""Reads an export of tolvek-tasks with python3-icalendar, a reader of its own, and checks
that every VTODO carries the properties its task calls for."""

import datetime
import os
import re
import sqlite3
import tempfile

import icalendar

from tool_checks import check, finish, run

with tempfile.TemporaryDirectory() as home:
    # New York's zone with its clock changes, written as a rule that needs no zone files.
    env = dict(os.environ, TOLVEK_HOME=home, XDG_RUNTIME_DIR=home, TZ="EST5EDT,M3.2.0,M11.1.0")
    run(env, "add", "Buy milk, bread; eggs", "--high", "--due", "2024-03-05",
        "--remind", "2024-03-04 18:30", "--note", "line one\nline two, with a comma; and more")
    run(env, "add", "Пишу письмо", "--category", "Work", "--remind", "2024-07-01 09:15")
    run(env, "add", "Plain and done")
    database = sqlite3.connect(os.path.join(home, "db", "data.db"))
    database.execute("UPDATE t_task SET intDone = 1 WHERE id = 3")
    database.execute("UPDATE t_task SET intSound = 1, strSoundFile = 'alarm clock.wav' "
                     "WHERE id = 2")
    database.commit()
    uids = dict(database.execute("SELECT idTask, strUid FROM t_uid"))
    database.close()
    out = os.path.join(home, "tasks.ics")
    run(env, "export", "--format", "ics", "-o", out)
    with open(out, "rb") as file:
        calendar = icalendar.Calendar.from_ical(file.read())

check("VERSION 2.0", str(calendar.get("VERSION")) == "2.0")
check("PRODID", "PRODID" in calendar)
todos = calendar.walk("VTODO")
check("three VTODOs", len(todos) == 3)

uuid = re.compile(r"^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$")
expected = [
    # summary, note, category, priority, status, due, (action, trigger in UTC, attach)
    ("Buy milk, bread; eggs", "line one\nline two, with a comma; and more", "Personal", 1,
     "NEEDS-ACTION", datetime.date(2024, 3, 5),
     ("DISPLAY", datetime.datetime(2024, 3, 4, 23, 30), None)),
    ("Пишу письмо", None, "Work", 5, "NEEDS-ACTION", None,
     ("AUDIO", datetime.datetime(2024, 7, 1, 13, 15), "alarm%20clock.wav")),
    ("Plain and done", None, "Personal", 5, "COMPLETED", None, None),
]
for number, (todo, want) in enumerate(zip(todos, expected), start=1):
    summary, note, category, priority, status, due, alarm = want
    check(f"{number}: the task's UID", str(todo.get("UID")) == uids[number])
    check(f"{number}: a random UUID", uuid.match(str(todo.get("UID"))) is not None)
    check(f"{number}: DTSTAMP", "DTSTAMP" in todo)
    check(f"{number}: SUMMARY", str(todo.get("SUMMARY")) == summary)
    check(f"{number}: DESCRIPTION",
          (str(todo.get("DESCRIPTION")) if "DESCRIPTION" in todo else None) == note)
    check(f"{number}: CATEGORIES", [str(c) for c in todo.get("CATEGORIES").cats] == [category])
    check(f"{number}: PRIORITY", int(todo.get("PRIORITY")) == priority)
    check(f"{number}: STATUS", str(todo.get("STATUS")) == status)
    if due is None:
        check(f"{number}: no DUE", "DUE" not in todo)
    else:
        value = todo.decoded("DUE")
        check(f"{number}: DUE is a date",
              not isinstance(value, datetime.datetime) and value == due)
    alarms = todo.walk("VALARM")
    if alarm is None:
        check(f"{number}: no VALARM", not alarms)
        continue
    check(f"{number}: one VALARM", len(alarms) == 1)
    action, trigger, attach = alarm
    check(f"{number}: ACTION", str(alarms[0].get("ACTION")) == action)
    when = alarms[0].decoded("TRIGGER")
    check(f"{number}: absolute TRIGGER in UTC",
          isinstance(when, datetime.datetime) and when.utcoffset() == datetime.timedelta(0)
          and when.replace(tzinfo=None) == trigger)
    check(f"{number}: ATTACH",
          (str(alarms[0].get("ATTACH")) if "ATTACH" in alarms[0] else None) == attach)
    if action == "DISPLAY":
        check(f"{number}: a display alarm says something", "DESCRIPTION" in alarms[0])

finish()
