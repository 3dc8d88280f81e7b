#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Run by caldav_servers.py with a server's address in the environment: every command of the
# other device once, each checked by what the server gives back.
set -euo pipefail
device=(/usr/bin/python3 "$1")
fail() { echo "check_device: $*" >&2; exit 1; }

url=$("${device[@]}" mkcol "Shell list" --id shell-list)
[[ $url == "$CALDAV_HOME"shell-list/ ]] || fail "mkcol gave $url"
# Output is read whole before grep looks at it: grep -q leaving early would break the pipe.
grep -q '"name": "Shell list"' <<<"$("${device[@]}" collections)" || fail "the new list is not listed"

"${device[@]}" add "Shell list" --uid one --summary "First" --set "X-OTHER;A=b:kept" > /dev/null
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//EN\r\nBEGIN:VTODO\r\nUID:two\r\nDTSTAMP:20240101T000000Z\r\nSUMMARY:Second\r\nEND:VTODO\r\nEND:VCALENDAR\r\n' \
  | "${device[@]}" add "Shell list" --ics - > /dev/null
[[ $(grep -c '"uid"' <<<"$("${device[@]}" list "Shell list")") == 2 ]] || fail "two to-dos expected"

"${device[@]}" edit "Shell list" one --set "SUMMARY:Changed" --set "X-NEW:1" --remove X-OTHER
shown=$("${device[@]}" show "Shell list" one)
grep -q $'SUMMARY:Changed\r' <<<"$shown" || fail "the edit is not on the server: $shown"
grep -q 'X-NEW:1' <<<"$shown" || fail "the added line is missing"
! grep -q 'X-OTHER' <<<"$shown" || fail "the removed line is still there"

other=$("${device[@]}" mkcol "Other list")
"${device[@]}" move "Shell list" two "$other"
grep -q 'SUMMARY:Second' <<<"$("${device[@]}" show "$other" two)" || fail "the move lost the to-do"
! "${device[@]}" show "Shell list" two 2> /dev/null || fail "the moved to-do is still in its old list"

"${device[@]}" delete "Shell list" one
[[ $("${device[@]}" list "Shell list") == "[]" ]] || fail "the list is not empty after the delete"
"${device[@]}" rename "Other list" "Renamed list"
grep -q '"name": "Renamed list"' <<<"$("${device[@]}" collections)" || fail "the rename did not take"
! "${device[@]}" delete "Shell list" nothing 2> /dev/null || fail "deleting nothing succeeded"
echo "the other device works against $CALDAV_KIND"
