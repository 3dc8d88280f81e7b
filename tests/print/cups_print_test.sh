#!/usr/bin/env bash
# Prints a recorded two-page document on a real CUPS queue whose PDF back end writes the job
# under the home folder's PDF/, and checks that file. Starts cupsd for the run when it is not
# running, and stops what it started. Exits 77 (skipped) when CUPS cannot be had here.
set -uo pipefail

helper="$1"
queue=TolvekTest
title="tolvek-cups-test-$$"
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
cleanup() {
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

form=$("$helper" print "$queue" "$title") || fail "printing on $queue failed"
echo "form name given to the queue: $form"
[ "$form" = "A4" ] || fail "the queue was not given its own A4 size (form name '$form')"

# The job leaves the queue, then the back end's file appears.
for _ in $(seq 1 120); do
    [ -z "$(lpstat -W not-completed -o "$queue" 2> /dev/null)" ] && break
    sleep 0.25
done
[ -z "$(lpstat -W not-completed -o "$queue" 2> /dev/null)" ] || fail "the job did not complete"
lpstat -W completed -o "$queue" | grep -q "^$queue-" || fail "no completed job on $queue"
pdf=""
for _ in $(seq 1 40); do
    pdf=$(find "$outbox" -maxdepth 1 -name "*${title}*.pdf" -newer "$marker" 2> /dev/null | head -n 1)
    [ -n "$pdf" ] && break
    sleep 0.25
done
[ -n "$pdf" ] || fail "no PDF of the job under $outbox"
echo "the back end wrote $pdf"
pdfinfo "$pdf" | grep -E "^(Pages|Page size):"
pdfinfo "$pdf" | grep -Eq "^Pages: +2$" || fail "the PDF does not have 2 pages"
"$helper" check "$pdf" || fail "the pages are not as printed"
echo "PASSED"
