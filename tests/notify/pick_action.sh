#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The menu program of the test's notification server: keeps the menu it is given, one line per
# action, in NOTIFY_TEST_DIR/menu (whole once it is there), and picks the first line that holds
# the text of NOTIFY_TEST_DIR/pick (nothing when that file is missing or empty).
cat > "$NOTIFY_TEST_DIR/menu.part"
mv "$NOTIFY_TEST_DIR/menu.part" "$NOTIFY_TEST_DIR/menu"
if [ -s "$NOTIFY_TEST_DIR/pick" ]; then
  grep -F -m1 -- "$(cat "$NOTIFY_TEST_DIR/pick")" "$NOTIFY_TEST_DIR/menu" || true
fi
