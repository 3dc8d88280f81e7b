# SPDX-License-Identifier: GPL-3.0-or-later

# Sourced by the print tests, after they set `queue` and `title`: a PDF queue of that name on
# a CUPS scheduler, started for the run when it is not running. Everything made here goes at
# exit: the queue, the jobs' PDFs under the home folder's PDF/ (and that folder when it was
# made for them), the folders named in `remove_at_exit`, and a scheduler that was started.
# Exits 77 (skipped) when CUPS cannot be had here.

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }

[ "$(id -u)" -eq 0 ] || skip "adding a print queue needs root"
# One scheduler and one set of queues per machine: test runs of other checkouts wait their turn.
exec 8> /tmp/tolvek-cups-tests.lock
flock -w 40 8 || skip "another test run kept the print queues for 40 s"
for tool in cupsd lpadmin lpstat pdfinfo pdftoppm; do
    command -v "$tool" > /dev/null || skip "$tool is missing (Debian packages cups, poppler-utils)"
done
[ -e /usr/lib/cups/backend/cups-pdf ] || skip "the PDF back end is missing (Debian package printer-driver-cups-pdf)"

started_cupsd=""
queue_added=""
outbox="$HOME/PDF"
made_outbox=""
marker=$(mktemp)
remove_at_exit=()
cleanup() {
    rm -rf "${remove_at_exit[@]}"
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

# Waits until the queue has no job left to do; fails with the message when it keeps one.
wait_for_jobs() {
    for _ in $(seq 1 120); do
        [ -z "$(lpstat -W not-completed -o "$queue" 2> /dev/null)" ] && return
        sleep 0.25
    done
    fail "$1"
}

# The PDF the back end wrote for the job whose title holds the name, once it is there.
job_file() {
    local name="$1" pdf=""
    for _ in $(seq 1 40); do
        pdf=$(find "$outbox" -maxdepth 1 -name "*${name}*.pdf" -newer "$marker" 2> /dev/null | head -n 1)
        [ -n "$pdf" ] && break
        sleep 0.25
    done
    echo "$pdf"
}
