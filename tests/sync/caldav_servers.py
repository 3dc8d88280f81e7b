#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""CalDAV servers for tests: Radicale or Xandikos on 127.0.0.1, on a free port chosen now, with
a folder of their own that goes with them.

Radicale asks for a user and a password (htpasswd, plain); Xandikos asks for nothing.

From a shell or ctest:
  caldav_servers.py run KIND -- COMMAND [ARGS...]
      runs COMMAND with CALDAV_KIND, CALDAV_URL (the server's root), CALDAV_USER,
      CALDAV_PASSWORD, CALDAV_PRINCIPAL and CALDAV_HOME set, stops the server after and exits
      with COMMAND's status.
  caldav_servers.py serve KIND
      prints "kind=", "url=", "user=", "password=", "principal=", "home=" and "folder=" lines,
      then "ready"; reads commands from standard input: "kill" (SIGKILL, the folder stays),
      "start" (again, on the same port and folder; answers "ready"), "stop" (answers
      "stopped"). The server goes when standard input closes, on SIGTERM, or on "quit". Made
      for test programs in other languages: their end closes the pipe, whatever the way.
Either exits with 77 and the reason on standard error when the server cannot be had.

From Python:
  with CalDavServer("radicale") as server:
      server.url, server.user, server.password, server.principal, server.home
"""

import http.client
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

SKIP = 77
KINDS = ("radicale", "xandikos")
PROGRAMS = {"radicale": "/usr/bin/radicale", "xandikos": "/usr/bin/xandikos"}


class Unavailable(Exception):
    """The server cannot be had here; the text says why."""


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class CalDavServer:
    def __init__(self, kind, user="alice", password="wonderland-7"):
        if kind not in KINDS:
            raise ValueError("unknown server kind: " + kind)
        self.kind = kind
        self.user = user if kind == "radicale" else ""
        self.password = password if kind == "radicale" else ""
        self.folder = None
        self.port = None
        self.process = None
        self.log = None

    # The addresses a user would be given.
    @property
    def url(self):
        return "http://127.0.0.1:%d/" % self.port

    @property
    def principal(self):
        return self.url + ("%s/" % self.user if self.kind == "radicale" else "user/")

    @property
    def home(self):
        return self.principal if self.kind == "radicale" else self.url + "user/calendars/"

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.close()

    def start(self):
        """Starts the server (on a new port the first time) and waits until it answers."""
        program = PROGRAMS[self.kind]
        if not os.access(program, os.X_OK):
            raise Unavailable("%s is not installed (%s)" % (self.kind, program))
        if self.folder is None:
            self.folder = tempfile.mkdtemp(prefix="tolvek-caldav-%s-" % self.kind)
        # Another run may take the port between our look and the server's bind: try others.
        attempts = 5 if self.port is None else 1
        for attempt in range(attempts):
            if self.port is None or attempt > 0:
                self.port = free_port()
            self._spawn()
            if self._wait_until_answering():
                return
        raise Unavailable("%s did not start: %s" % (self.kind, self._log_tail()))

    def _spawn(self):
        self.log = os.path.join(self.folder, "server.log")
        if self.kind == "radicale":
            users = os.path.join(self.folder, "users")
            with open(users, "w") as f:
                f.write("%s:%s\n" % (self.user, self.password))
            config = os.path.join(self.folder, "config")
            with open(config, "w") as f:
                f.write(
                    "[server]\nhosts = 127.0.0.1:%d\n"
                    "[auth]\ntype = htpasswd\nhtpasswd_filename = %s\n"
                    "htpasswd_encryption = plain\ndelay = 0\n"
                    "[rights]\ntype = owner_only\n"
                    "[storage]\nfilesystem_folder = %s\n"
                    "[web]\ntype = none\n"
                    "[logging]\nlevel = warning\n"
                    % (self.port, users, os.path.join(self.folder, "collections"))
                )
            command = [PROGRAMS["radicale"], "--config", config]
        else:
            command = [PROGRAMS["xandikos"], "-d", os.path.join(self.folder, "data"),
                       "--defaults", "-l", "127.0.0.1", "-p", str(self.port)]
        with open(self.log, "ab") as log:
            self.process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log,
                                            stderr=subprocess.STDOUT, start_new_session=True)

    def _wait_until_answering(self, seconds=30):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                return False
            try:
                connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=2)
                connection.request("OPTIONS", "/")
                connection.getresponse().read()
                connection.close()
                return True
            except OSError:
                time.sleep(0.1)
        self.kill()
        return False

    def _log_tail(self):
        try:
            with open(self.log, errors="replace") as f:
                return f.read()[-2000:].strip() or "no output"
        except OSError:
            return "no output"

    def kill(self):
        """SIGKILL, as a crash or a power cut would: the folder stays for a start again."""
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.process = None

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None

    def close(self):
        self.stop()
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None

    def environment(self):
        return {"CALDAV_KIND": self.kind, "CALDAV_URL": self.url, "CALDAV_USER": self.user,
                "CALDAV_PASSWORD": self.password, "CALDAV_PRINCIPAL": self.principal,
                "CALDAV_HOME": self.home}


def run(kind, command):
    with CalDavServer(kind) as server:
        environment = dict(os.environ, **server.environment())
        return subprocess.call(command, env=environment)


def serve(kind):
    server = CalDavServer(kind)
    # SIGTERM and SIGINT end the loop below as a closed pipe would, so the folder goes too.
    def leave(*_):
        raise SystemExit(0)
    signal.signal(signal.SIGTERM, leave)
    signal.signal(signal.SIGINT, leave)
    try:
        server.start()
        for key, value in (("kind", kind), ("url", server.url), ("user", server.user),
                           ("password", server.password), ("principal", server.principal),
                           ("home", server.home), ("folder", server.folder)):
            print("%s=%s" % (key, value))
        print("ready", flush=True)
        for line in sys.stdin:
            word = line.strip()
            if word == "kill":
                server.kill()
                print("killed", flush=True)
            elif word == "stop":
                server.stop()
                print("stopped", flush=True)
            elif word == "start":
                server.start()
                print("ready", flush=True)
            elif word == "quit":
                break
    finally:
        server.close()
    return 0


def main(argv):
    usage = "usage: caldav_servers.py serve KIND | run KIND -- COMMAND [ARGS...]"
    if len(argv) < 3 or argv[1] not in ("serve", "run") or argv[2] not in KINDS:
        print(usage, file=sys.stderr)
        return 2
    try:
        if argv[1] == "serve":
            return serve(argv[2])
        command = argv[4:] if len(argv) > 3 and argv[3] == "--" else argv[3:]
        if not command:
            print(usage, file=sys.stderr)
            return 2
        return run(argv[2], command)
    except Unavailable as reason:
        print("skipped: %s" % reason, file=sys.stderr)
        return SKIP


if __name__ == "__main__":
    sys.exit(main(sys.argv))
