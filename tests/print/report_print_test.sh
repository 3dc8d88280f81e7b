#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints a three-page task report through the print settings window's "Print" on a real CUPS
# queue whose PDF back end writes each job under the home folder's PDF/: on A4 in portrait,
# A4 in landscape and a custom sheet of 18 by 25 cm. Every page must be a job of its own, of one
# page, in page order, on the chosen paper. Starts cupsd for the run when it is not running and
# stops what it started; adds one queue of its own and removes it. Exits 77 (skipped) when
# CUPS cannot be had here.
set -uo pipefail

helper="$1"
queue=TolvekReportTest
title="tolvek-report-test-$$"
source "$(dirname "${BASH_SOURCE[0]}")/cups_queue.sh"
pages=$(mktemp -d)
remove_at_exit+=("$pages")

# The paper, and the sheet's size in points (width and height, within 2 points: the queue
# rounds a custom size to whole points): a landscape page is printed turned on a portrait sheet.
check_case() {
    local paper="$1" width="$2" height="$3" run="${title}-$1"
    local counts
    rm -f "$pages"/*
    counts=$("$helper" print "$queue" "$run" "$paper" "$pages") || fail "$paper: printing on $queue failed"
    [ "$counts" = "3 3" ] || fail "$paper: expected 3 pages in 3 jobs, got '$counts' (pages jobs)"
    wait_for_jobs "$paper: the jobs did not complete"
    for page in 1 2 3; do
        local pdf
        pdf=$(job_file "${run}-${page}")
        [ -n "$pdf" ] || fail "$paper: no PDF of job ${page} under $outbox"
        local info
        info=$(pdfinfo "$pdf")
        echo "$paper, job $page: $(echo "$info" | grep -E '^Page size:' | tr -s ' ')"
        echo "$info" | grep -Eq "^Pages: +1$" || fail "$paper: job $page does not have exactly one page"
        echo "$info" | awk -v w="$width" -v h="$height" '/^Page size:/ {
            found = 1; exit !(($3 - w) ^ 2 <= 4 && ($5 - h) ^ 2 <= 4) } END { if (!found) exit 1 }' ||
            fail "$paper: job $page is not $width by $height points"
        local shows
        shows=$("$helper" match "$pages" "$pdf")
        [ "$shows" = "$page" ] || fail "$paper: job $page does not show page $page of the report (it shows '$shows')"
    done
}

check_case a4 595.3 841.9
check_case landscape 595.3 841.9
check_case custom 510.2 708.7
echo "PASSED"
