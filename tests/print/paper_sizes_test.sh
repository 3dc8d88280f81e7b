#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints a page on every paper type of the table on a real CUPS queue whose PDF back end writes
# each job under the home folder's PDF/, and checks that each job's sheet is the page laid out,
# to the point: a queue given only the name of a close standard size would round the sheet to
# it (ISO B4 is 250 by 353 mm, the table's B4 354 mm high). Starts cupsd for the run when it is
# not running and stops what it started. Exits 77 (skipped) when CUPS cannot be had here.
set -uo pipefail

helper="$1"
queue=TolvekPaperTest
title="tolvek-paper-test-$$"
source "$(dirname "${BASH_SOURCE[0]}")/cups_queue.sh"

laid_out=$("$helper" papers "$queue" "$title") || fail "printing on $queue failed"
[ "$(echo "$laid_out" | wc -l)" -eq 66 ] || fail "not every paper type was printed"
wait_for_jobs "the jobs did not complete"
wrong=0
while read -r type width height; do
    pdf=$(job_file "${title}-${type}")
    [ -n "$pdf" ] || fail "paper type $type: no PDF of the job under $outbox"
    size=$(pdfinfo "$pdf" | awk '/^Page size:/ { print $3, $5 }')
    if ! echo "$size" | awk -v w="$width" -v h="$height" '{
            exit !(($1 - w) ^ 2 < 1 && ($2 - h) ^ 2 < 1) }'; then
        echo "paper type $type: laid out $width x $height points, the sheet is $size"
        wrong=$((wrong + 1))
    fi
done <<< "$laid_out"
[ "$wrong" -eq 0 ] || fail "$wrong paper types were not printed on their own size"
echo "PASSED"
