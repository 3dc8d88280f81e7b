#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The organizer as a screen reader and a keyboard user meet it on an X11 desktop.

    screen_reader_check.py ORGANIZER TOLVEK_TASKS

On a virtual X server with a window manager and a private accessibility bus: the task list
read through AT-SPI, row by row as the list shows it; the menu labels and the title bar's
pictures are buttons with a press action that works; the window manager's Alt+F4 closes the
window as any other (without a notification area it is minimized), and a second start brings
it back.
"""

import os
import subprocess

from desktop_session import (action_names, expect, find_element,
                             organizer_application, press, run_checks, showing, skip,
                             wait_for, wait_for_element)

FIRST_ROW = "Call the plumber, not done, high priority, Personal, due 2026-12-20"
SECOND_ROW = "Buy paint, not done, Shopping, reminder 2026-12-19 08:00, no due date"


def start_display(session):
    """Xvfb on a free display, and openbox on it; returns the display's name."""
    read, write = os.pipe()
    session.start(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                   "-nolisten", "tcp"], pass_fds=(write,), stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as answer:
        display = ":" + answer.readline().strip()
    if display == ":":
        skip("Xvfb did not start")
    session.environment["DISPLAY"] = display
    session.start(["openbox", "--sm-disable"], stderr=subprocess.DEVNULL)
    return display


def visible_windows(session):
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Tolvek Organizer$"],
                            env=session.environment, capture_output=True, text=True, check=False)
    return result.stdout.split()


def check(session):
    session.add_task("Call the plumber", "--category", "Personal", "--high", "--due", "2026-12-20")
    session.add_task("Buy paint", "--category", "Shopping", "--remind", "2026-12-19 08:00")
    start_display(session)
    session.environment["QT_QPA_PLATFORM"] = "xcb"
    session.start_organizer()
    application = organizer_application()

    # The list reads as the tasks, its columns by their names.
    tasks = wait_for_element(application, "tree", "Tasks")
    table = tasks.queryTable()
    expect(table.nRows == 2, f"the list has {table.nRows} rows")
    rows = [table.getAccessibleAt(row, 0).name for row in range(2)]
    expect(rows == [FIRST_ROW, SECOND_ROW], f"the rows read {rows}")
    headers = [element.name for element in (tasks.getChildAtIndex(k)
                                            for k in range(tasks.childCount))
               if element.getRoleName() == "table column header"]
    expect(headers == ["Tasks", "Priority", "Category", "Reminder", "Due Date"],
           f"the columns read {headers}")
    cells = [table.getAccessibleAt(0, column).name for column in range(1, 5)]
    expect(cells == ["high priority", "Personal", "no reminder", "due 2026-12-20"],
           f"the first row's cells read {cells}")

    # The menu labels and the title bar's pictures are buttons that press.
    for name in ("Category", "Options", "Help", "About", "Exit", "Minimize", "Maximize",
                 "Close"):
        button = find_element(application, "push button", name)
        expect(button is not None, f"no button '{name}'")
        expect("Press" in action_names(button), f"'{name}' cannot be pressed")
    press(find_element(application, "push button", "About"))
    about = wait_for_element(application, "dialog", "About")
    press(wait_for_element(about, "push button", "OK"))
    wait_for("the about window to close", lambda: not showing(about))

    # Alt+F4 of the window manager closes the window as any other's: without a notification
    # area it is minimized. A second start brings it back.
    window = wait_for("the window on the display", lambda: visible_windows(session))[0]
    subprocess.run(["xdotool", "windowactivate", "--sync", window, "key", "--clearmodifiers",
                    "alt+F4"], env=session.environment, check=True)
    wait_for("the window to be minimized", lambda: not visible_windows(session))
    expect(session.second_start() == 0, "the second start did not end well")
    wait_for("the window to come back", lambda: visible_windows(session))


if __name__ == "__main__":
    run_checks(check, ["Xvfb", "openbox", "xdotool"])
