#!/usr/bin/env bash
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
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }

[ "$(id -u)" -eq 0 ] || skip "adding a print queue needs root"
for tool in cupsd lpadmin lpstat pdfinfo pdftoppm; do
    command -v "$tool" > /dev/null || skip "$tool is missing (Debian packages cups, poppler-utils)"
done
[ -e /usr/lib/cups/backend/cups-pdf ] || skip "the PDF back end is missing (Debian package printer-driver-cups-pdf)"

started_cupsd=""
queue_added=""
outbox="$HOME/PDF"
made_outbox=""
marker=$(mktemp)
pages=$(mktemp -d)
cleanup() {
    rm -rf "$pages"
    [ -n "$queue_added" ] && lpadmin -x "$queue" 2> /dev/null
    find "$outbox" -maxdepth 1 -name "*${title}*" -newer "$marker" -delete 2> /dev/null
    [ -n "$made_outbox" ] && rmdir "$outbox" 2> /dev/null
    rm -f "$marker"
    if [ -n "$started_cupsd" ]; then
        kill "$started_cupsd" 2> /dev/null
        wait "$started_cupsd" 2> /dev/null
    fi
}
trap cleanup EXIT

scheduler_running() { lpstat -r 2> /dev/null | grep -q "scheduler is running"; }
if ! scheduler_running; then
    cupsd -f > /dev/null 2>&1 &
    started_cupsd=$!
    for _ in $(seq 1 40); do
        scheduler_running && break
        kill -0 "$started_cupsd" 2> /dev/null || break
        sleep 0.25
    done
    scheduler_running || skip "cupsd could not be started"
fi

[ -d "$outbox" ] || made_outbox=yes
lpadmin -p "$queue" -v cups-pdf:/ -E -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd 2> /dev/null ||
    skip "the queue $queue could not be added (is printer-driver-cups-pdf installed?)"
queue_added=yes

# The job's file once the queue has done with it.
job_file() {
    local name="$1" pdf=""
    for _ in $(seq 1 40); do
        pdf=$(find "$outbox" -maxdepth 1 -name "*${name}*.pdf" -newer "$marker" 2> /dev/null | head -n 1)
        [ -n "$pdf" ] && break
        sleep 0.25
    done
    echo "$pdf"
}

# The paper, and the sheet's size in points (width and height, within 2 points: the queue
# rounds a custom size to whole points): a landscape page is printed turned on a portrait sheet.
check_case() {
    local paper="$1" width="$2" height="$3" run="${title}-$1"
    local counts
    rm -f "$pages"/*
    counts=$("$helper" print "$queue" "$run" "$paper" "$pages") || fail "$paper: printing on $queue failed"
    [ "$counts" = "3 3" ] || fail "$paper: expected 3 pages in 3 jobs, got '$counts' (pages jobs)"
    for _ in $(seq 1 120); do
        [ -z "$(lpstat -W not-completed -o "$queue" 2> /dev/null)" ] && break
        sleep 0.25
    done
    [ -z "$(lpstat -W not-completed -o "$queue" 2> /dev/null)" ] || fail "$paper: the jobs did not complete"
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
