# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads `tolvek-tasks list --format json` with Python's json module and `--format tsv` with
its csv module, and checks that every field of tasks whose texts hold tabs, line breaks,
quotes, backslashes, emoji and right-to-left text comes back as the database holds it."""

import csv
import io
import json
import os
import sqlite3
import tempfile

from tool_checks import check, finish, run

KEYS = ["id", "uid", "name", "category", "priority", "done", "due", "reminder", "sound", "note"]


def unescaped(field):
    """A TSV field with its \\t, \\n, \\r and \\\\ read back."""
    out, i = [], 0
    while i < len(field):
        if field[i] == "\\" and i + 1 < len(field):
            out.append({"t": "\t", "n": "\n", "r": "\r", "\\": "\\"}[field[i + 1]])
            i += 2
        else:
            out.append(field[i])
            i += 1
    return "".join(out)


NAMES = [
    "tab\there, \"quoted\" and a back\\slash",
    "two\nlines\r\nand a carriage return\rtoo",
    "emoji 👩‍💻 and 🇳🇴, then שלום עולם and مرحبا",
    "\\t is not a tab, \\n no line break",
]
NOTES = [
    "note with\ttab\nand \"quotes\" \\ backslash\n",
    None,
    "עברית\r\nEnglish ✓",
    "",
]

with tempfile.TemporaryDirectory() as home:
    env = dict(os.environ, TOLVEK_HOME=home, XDG_RUNTIME_DIR=home, XDG_CONFIG_HOME=home)
    os.mkdir(os.path.join(home, "sound"))
    open(os.path.join(home, "sound", "bell ✓.wav"), "wb").close()
    run(env, "add", "first", "--high", "--due", "2024-02-29", "--remind", "2024-03-01 07:05",
        "--sound", "bell ✓.wav")
    run(env, "add", "second", "--category", "Work")
    run(env, "add", "third", "--remind", "2030-12-31 23:59")
    run(env, "add", "fourth")
    run(env, "done", "2")
    database = sqlite3.connect(os.path.join(home, "db", "data.db"))
    for number, (name, note) in enumerate(zip(NAMES, NOTES), start=1):
        database.execute("UPDATE t_task SET strName = ?, intMemo = ? WHERE id = ?",
                         (name, 0 if note is None else 1, number))
        if note is not None:
            database.execute("INSERT INTO t_note (idTask, strNote) VALUES (?, ?)", (number, note))
    database.execute("UPDATE t_category SET strName = 'Работа\tדחוף' WHERE id = 2")
    database.commit()
    stored = {row[0]: row[1:] for row in database.execute(
        "SELECT t.id, u.strUid, t.strName, c.strName FROM t_task t JOIN t_uid u "
        "ON u.idTask = t.id JOIN t_category c ON c.id = t.intCategory")}
    database.close()

    listed = json.loads(run(env, "list", "--format", "json").decode("utf-8"))
    table = list(csv.reader(io.StringIO(run(env, "list", "--format", "tsv").decode("utf-8"),
                                        newline=""),
                            delimiter="\t", quoting=csv.QUOTE_NONE))

check("json: an array of four objects", isinstance(listed, list) and len(listed) == 4)
check("json: the keys in order", all(list(task) == KEYS for task in listed))
expected = [
    (1, "Personal", "high", False, "2024-02-29", "2024-03-01T07:05", "bell ✓.wav"),
    (2, "Работа\tדחוף", "normal", True, None, None, None),
    (3, "Personal", "normal", False, None, "2030-12-31T23:59", None),
    (4, "Personal", "normal", False, None, None, None),
]
for task, name, note, want in zip(listed, NAMES, NOTES, expected):
    number, category, priority, done, due, reminder, sound = want
    check(f"{number}: id", task["id"] == number)
    check(f"{number}: uid as stored", task["uid"] == stored[number][0])
    check(f"{number}: name as stored", task["name"] == name == stored[number][1])
    check(f"{number}: category as stored", task["category"] == category == stored[number][2])
    check(f"{number}: priority", task["priority"] == priority)
    check(f"{number}: done", task["done"] is done)
    check(f"{number}: due", task["due"] == due)
    check(f"{number}: reminder", task["reminder"] == reminder)
    check(f"{number}: sound", task["sound"] == sound)
    check(f"{number}: note whole", task["note"] == note)

check("tsv: a header of the keys", table[0] == KEYS)
check("tsv: a line a task", len(table) == 5)
for task, row in zip(listed, table[1:]):
    want = ["" if task[key] is None else
            ("true" if task[key] else "false") if isinstance(task[key], bool) else str(task[key])
            for key in KEYS]
    check(f"tsv {task['id']}: ten fields", len(row) == 10)
    check(f"tsv {task['id']}: the same values as json", [unescaped(f) for f in row] == want)

finish()
