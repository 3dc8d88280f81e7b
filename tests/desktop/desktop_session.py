# SPDX-License-Identifier: GPL-3.0-or-later
"""A private desktop for the end-to-end checks: its own session bus, folders, display server,
the real organizer on it, and a screen reader's view of it through AT-SPI.

A check calls run_checks(main, tools): the script starts again on a session bus of its own
(dbus-run-session), so that the accessibility bus and its registry, which the bus starts on
demand, are private to the run. A missing tool or service ends the check as skipped (77),
saying what is missing.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SKIPPED = 77
# How long a window, a service or the accessible tree may take to appear.
WAIT_SECONDS = 20
AT_SPI_BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
PRIVATE_BUS_MARK = "TOLVEK_CHECK_ON_PRIVATE_BUS"


class CheckFailed(Exception):
    pass


def skip(reason):
    print(f"SKIP: {reason}")
    sys.exit(SKIPPED)


def wait_for(what, probe, seconds=WAIT_SECONDS):
    """Polls probe until it returns something true, and returns that."""
    end = time.monotonic() + seconds
    while True:
        found = probe()
        if found:
            return found
        if time.monotonic() > end:
            raise CheckFailed(f"timed out waiting for {what}")
        time.sleep(0.2)


def run_checks(main, tools):
    """Runs main(session) on a private session bus, with every tool named present."""
    missing = [tool for tool in tools + ["dbus-run-session"] if not shutil.which(tool)]
    if not os.path.exists(AT_SPI_BUS_LAUNCHER):
        missing.append(AT_SPI_BUS_LAUNCHER)
    if missing:
        skip("missing " + ", ".join(missing))
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        skip("python3-pyatspi is not installed")
    if os.environ.get(PRIVATE_BUS_MARK) != "1":
        environment = dict(os.environ, **{PRIVATE_BUS_MARK: "1"})
        result = subprocess.run(["dbus-run-session", "--", sys.executable, *sys.argv],
                                env=environment, check=False)
        sys.exit(result.returncode)
    with Session() as session:
        try:
            main(session)
        except CheckFailed as failure:
            print(f"FAIL: {failure}")
            sys.exit(1)
    print("1 passed, 0 failed")


class Session:
    """The folders of one run and the processes started in it, stopped at its end."""

    def __init__(self):
        self.organizer, self.tasks = sys.argv[1], sys.argv[2]
        self._folder = tempfile.TemporaryDirectory(prefix="tolvek-desktop-")
        self.root = Path(self._folder.name)
        self.processes = []
        runtime = self.root / "runtime"
        runtime.mkdir(mode=0o700)
        self.environment = dict(
            os.environ,
            HOME=str(self.root),
            TOLVEK_HOME=str(self.root / "program"),
            XDG_CONFIG_HOME=str(self.root / "config"),
            XDG_DATA_HOME=str(self.root / "data"),
            XDG_CACHE_HOME=str(self.root / "cache"),
            XDG_RUNTIME_DIR=str(runtime),
            # The organizer tells assistive technologies about itself without a desktop
            # asking it to.
            QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
        )
        for name in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_ACTIVATION_TOKEN"):
            self.environment.pop(name, None)
        (self.root / "program").mkdir()

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self._folder.cleanup()

    def start(self, command, **options):
        process = subprocess.Popen(command, env=options.pop("env", self.environment),
                                   cwd=self.root, **options)
        self.processes.append(process)
        return process

    def add_task(self, *arguments):
        subprocess.run([self.tasks, "add", *arguments], env=self.environment, check=True,
                       stdout=subprocess.DEVNULL)

    def start_organizer(self, *arguments):
        require_accessibility_bus()
        return self.start([self.organizer, *arguments])

    def start_service(self, what, command, ready, **options):
        """Starts a display server; the check is skipped when it does not come up."""
        process = self.start(command, **options)
        end = time.monotonic() + WAIT_SECONDS
        while not ready():
            if process.poll() is not None or time.monotonic() > end:
                skip(f"{what} did not start")
            time.sleep(0.1)
        return process

    def second_start(self, token=None):
        """Starts the organizer again and returns its exit code; it must end by itself."""
        environment = dict(self.environment)
        if token:
            environment["XDG_ACTIVATION_TOKEN"] = token
        try:
            return subprocess.run([self.organizer], env=environment, timeout=WAIT_SECONDS,
                                  check=False).returncode
        except subprocess.TimeoutExpired:
            raise CheckFailed("the second start did not end") from None


# The screen reader's side.

def require_accessibility_bus():
    """Skips the check when the accessibility bus and its registry cannot be started."""
    import pyatspi
    try:
        pyatspi.Registry.getDesktop(0).childCount
    except Exception as error:  # the bus's errors come in many types
        skip(f"no accessibility bus: {error}")


def organizer_application():
    """The organizer's accessible application, once it is on the accessibility bus."""
    import pyatspi

    def find():
        for application in pyatspi.Registry.getDesktop(0):
            if application is not None and application.name == "Tolvek Organizer":
                return application
        return None
    return wait_for("the organizer on the accessibility bus", find)


def descendants(element):
    yield element
    for index in range(element.childCount):
        child = element.getChildAtIndex(index)
        if child is not None:
            yield from descendants(child)


def find_element(root, role, name):
    for element in descendants(root):
        if element.getRoleName() == role and element.name == name:
            return element
    return None


def wait_for_element(root, role, name):
    return wait_for(f"the {role} '{name}'", lambda: find_element(root, role, name))


def action_names(element):
    try:
        actions = element.queryAction()
    except NotImplementedError:
        return []
    return [actions.getName(index) for index in range(actions.nActions)]


def press(element):
    """Runs the element's press action, as a screen reader's user does."""
    actions = element.queryAction()
    for index in range(actions.nActions):
        if actions.getName(index) == "Press":
            actions.doAction(index)
            return
    raise CheckFailed(f"'{element.name}' has no press action")


def showing(element):
    import pyatspi
    return element.getState().contains(pyatspi.STATE_SHOWING)


def expect(condition, message):
    if not condition:
        raise CheckFailed(message)
