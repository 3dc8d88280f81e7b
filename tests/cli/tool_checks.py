# SPDX-License-Identifier: GPL-3.0-or-later
"""What the scripts that check tolvek-tasks from outside share: the tool they run, named by
their first argument, and the tally of their checks."""

import subprocess
import sys

TOOL = sys.argv[1]
results = {"passed": 0, "failed": 0}


def check(what, condition):
    results["passed" if condition else "failed"] += 1
    if not condition:
        print("FAILED:", what)


def run(env, *arguments):
    """Runs the tool to its end; its standard output as bytes, or the script ends on a failure."""
    done = subprocess.run([TOOL, *arguments], env=env, capture_output=True, timeout=30)
    if done.returncode != 0:
        sys.exit(f"tolvek-tasks {' '.join(arguments)} failed: {done.stderr.decode()}")
    return done.stdout


def finish():
    print(f"{results['passed']} passed, {results['failed']} failed")
    sys.exit(1 if results["failed"] else 0)
