#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints a recorded two-page document on a real CUPS queue whose PDF back end writes the job
# under the home folder's PDF/, and checks that file. Starts cupsd for the run when it is not
# running, and stops what it started. Exits 77 (skipped) when CUPS cannot be had here.
set -uo pipefail

helper="$1"
queue=TolvekTest
title="tolvek-cups-test-$$"
source "$(dirname "${BASH_SOURCE[0]}")/cups_queue.sh"

form=$("$helper" print "$queue" "$title") || fail "printing on $queue failed"
echo "form name given to the queue: $form"
[ "$form" = "A4" ] || fail "the queue was not given its own A4 size (form name '$form')"

# The job leaves the queue, then the back end's file appears.
wait_for_jobs "the job did not complete"
lpstat -W completed -o "$queue" | grep -q "^$queue-" || fail "no completed job on $queue"
pdf=$(job_file "$title")
[ -n "$pdf" ] || fail "no PDF of the job under $outbox"
echo "the back end wrote $pdf"
pdfinfo "$pdf" | grep -E "^(Pages|Page size):"
pdfinfo "$pdf" | grep -Eq "^Pages: +2$" || fail "the PDF does not have 2 pages"
"$helper" check "$pdf" || fail "the pages are not as printed"
echo "PASSED"
