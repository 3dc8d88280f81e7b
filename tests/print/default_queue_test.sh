#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The preview window's "Print current" follows the default printer: a job to the default
# queue; the next one refused because that queue is removed while the job is on its way, which
# the user is told in the spooler's words; with no printer left, the message and the offer of
# a PDF file; then a new default queue gets the next job. The queues are the test's own; the
# default is chosen for the program alone (PRINTER). Starts cupsd for the run when it is not
# running and stops what it started. Exits 77 (skipped) when CUPS cannot be had here.
set -uo pipefail

helper="$1"
queue=TolvekDefaultTest
second=TolvekDefaultTest2
title="tolvek-default-test-$$"
source "$(dirname "${BASH_SOURCE[0]}")/cups_queue.sh"
queues_at_exit+=("$second")
lpadmin -x "$second" 2> /dev/null

told=$("$helper" default "$queue" "$second" "$title")
case $? in
    0) ;;
    77) skip "the default printer cannot be chosen for the program here" ;;
    *) fail "printing to the default printer failed" ;;
esac
echo "$told"
told_at() { echo "$told" | sed -n "s/^$1: //p"; }

[ "$(told_at "job 1")" = "no box" ] || fail "the first job was not printed without a word"
refusal=$(told_at "job 2")
case "$refusal" in
    "Error: The printer $queue did not take the print job: "?*) ;;
    *) fail "the job to the removed queue was not refused in an error box with the spooler's words" ;;
esac
case "$(told_at "no printer")" in
    "Error: Can not find printer, job canceled! | Confirm: Save the report as a PDF file instead?") ;;
    "not tried"*) echo "(this machine has print queues of its own)" ;;
    *) fail "with no printer left, the message and the offer did not come" ;;
esac
[ "$(told_at "job 3")" = "no box" ] || fail "the job to the new default queue was not printed without a word"

queue="$second" wait_for_jobs "the new default queue did not complete its job"
[ -n "$(job_file "${title}-1")" ] || fail "no PDF of the first job"
[ -n "$(job_file "${title}-3")" ] || fail "no PDF of the job to the new default queue"
[ "$(lpstat -W completed -o "$second" | wc -l)" -eq 1 ] || fail "the new default queue did not get the job"
[ -z "$(find "$outbox" -maxdepth 1 -name "*${title}-2*" -newer "$marker")" ] ||
    fail "the refused job was printed"
echo "PASSED"
