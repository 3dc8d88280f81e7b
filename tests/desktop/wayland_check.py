#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The organizer is never lost on a Wayland desktop without a notification area.

    wayland_check.py ORGANIZER TOLVEK_TASKS

On weston's headless back end, which has no notification area and no xdg-activation: closing
the main window (its "Close" picture pressed through AT-SPI, as a screen reader's user does)
minimizes it, and a second start, with no activation token or with one the compositor cannot
use, exits and brings the running program's window back: it is shown anew. What is on the
screen is read with weston's screenshooter.
"""

import subprocess

from desktop_session import (CheckFailed, expect, organizer_application, press, run_checks,
                             wait_for, wait_for_element)

# The background of the task list window: no other pixel of weston's screen has it.
LIST_BACKGROUND = bytes((212, 208, 200))
# The list window is 780 by 519 pixels; most of its pixels are hidden by the list itself.
SHOWN_PIXELS = 5000
WESTON_CONFIG = """[core]
idle-time=0
[shell]
background-color=0xff204060
panel-position=none
locking=false
"""


def start_weston(session):
    config = session.root / "weston.ini"
    config.write_text(WESTON_CONFIG)
    socket = "tolvek-check"
    # --debug lets weston-screenshooter, a client like any other here, take the screen.
    log = open(session.root / "weston.log", "w")
    runtime = session.root / "runtime"
    session.start_service(
        "weston", ["weston", "--backend=headless-backend.so", "--use-pixman", "--debug",
                   f"--socket={socket}", "--width=1024", "--height=768", f"--config={config}"],
        lambda: (runtime / socket).exists(), stdout=log, stderr=subprocess.STDOUT)
    session.environment["WAYLAND_DISPLAY"] = socket


def list_pixels(session):
    """How many pixels of the screen show the task list window's background."""
    shots = session.root / "shots"
    shots.mkdir(exist_ok=True)
    for old in shots.iterdir():
        old.unlink()
    subprocess.run(["weston-screenshooter"], cwd=shots, env=session.environment, check=True,
                   timeout=20)
    shot = next(shots.iterdir())
    raw = subprocess.run(["convert", str(shot), "-depth", "8", "rgb:-"], capture_output=True,
                         check=True).stdout
    return sum(1 for k in range(0, len(raw), 3) if raw[k:k + 3] == LIST_BACKGROUND)


def shown(session):
    return list_pixels(session) >= SHOWN_PIXELS


def check(session):
    start_weston(session)
    session.environment["QT_QPA_PLATFORM"] = "wayland"
    session.start_organizer()
    application = organizer_application()
    wait_for("the window on the screen", lambda: shown(session))
    close = wait_for_element(application, "push button", "Close")

    # Asked while shown, the window stays.
    expect(session.second_start() == 0, "the second start did not end well")
    expect(shown(session), "the window went away on a second start")

    for token in (None, "a-token-weston-cannot-use"):
        press(close)
        wait_for("the window to be minimized", lambda: list_pixels(session) == 0)
        expect(session.second_start(token) == 0, "the second start did not end well")
        try:
            wait_for("the window to come back", lambda: shown(session))
        except CheckFailed:
            raise CheckFailed(f"the window stayed away after a second start (token {token})")


if __name__ == "__main__":
    run_checks(check, ["weston", "weston-screenshooter", "convert"])
