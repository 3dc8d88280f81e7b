#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test program inside a desktop session of its own: a private session bus that starts
# no service on demand, so that only what this script starts answers on it (--bus: that alone,
# the program on Qt's offscreen platform), and with
#   --dunst   an X server (Xvfb) with the notification server dunst on it, in its own
#             configuration: its context menu runs pick_action.sh, it looks for icons in
#             NOTIFY_TEST_DIR/icons, and it files a normal notification that names the desktop
#             entry NOTIFY_DESKTOP_ENTRY in the category "desktop-entry-seen";
#   --weston  a Wayland compositor (weston, headless, with the screenshot protocol), and no
#             notification server.
# The program's folders, settings and runtime folder are in a temporary folder, which the
# program finds in NOTIFY_TEST_DIR. Exit 77 (skipped) when a piece cannot be had.
#
#   desktop_session.sh --bus|--dunst|--weston TEST_PROGRAM [ARGUMENTS...]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

skip() {
  echo "SKIP: $*"
  exit 77
}
need() {
  command -v "$1" > /dev/null || skip "$1 is not installed"
}

if [ "${1:-}" = "--inside" ]; then
  shift
  desktop=$1
  shift
  pids=()
  stop() {
    for pid in "${pids[@]}"; do
      kill "$pid" 2> /dev/null || true
    done
    wait 2> /dev/null || true
  }
  trap stop EXIT
  # Waits up to 10 s for a condition, or skips with the reason.
  await() {
    local reason=$1
    shift
    for _ in $(seq 100); do
      "$@" > /dev/null 2>&1 && return 0
      sleep 0.1
    done
    skip "$reason"
  }
  case "$desktop" in
    dunst)
      # Xvfb tells the display number it chose on the descriptor.
      Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3> "$NOTIFY_TEST_DIR/display" \
        2> "$NOTIFY_TEST_DIR/xvfb.log" &
      pids+=($!)
      await "Xvfb did not start" test -s "$NOTIFY_TEST_DIR/display"
      export DISPLAY=":$(head -n1 "$NOTIFY_TEST_DIR/display")"
      dunst -config "$NOTIFY_TEST_DIR/dunstrc" > "$NOTIFY_TEST_DIR/dunst.log" 2>&1 &
      pids+=($!)
      await "dunst did not take the bus name" dunstctl is-paused
      export QT_QPA_PLATFORM=xcb
      ;;
    weston)
      unset DISPLAY
      weston --no-config --backend=headless-backend.so --use-pixman --debug --width=1024 \
        --height=768 --socket=tolvek-test --idle-time=0 > "$NOTIFY_TEST_DIR/weston.log" 2>&1 &
      pids+=($!)
      await "weston did not start" test -S "$XDG_RUNTIME_DIR/tolvek-test"
      export WAYLAND_DISPLAY=tolvek-test QT_QPA_PLATFORM=wayland
      ;;
    bus)
      unset DISPLAY
      export QT_QPA_PLATFORM=offscreen
      ;;
  esac
  status=0
  "$@" || status=$?
  exit "$status"
fi

case "${1:-}" in
  --bus | --dunst | --weston) desktop=${1#--} ;;
  *) desktop= ;;
esac
if [ -z "$desktop" ] || [ $# -lt 2 ]; then
  echo "usage: desktop_session.sh --bus|--dunst|--weston PROGRAM [ARGUMENTS...]" >&2
  exit 2
fi
shift
need dbus-run-session
need dbus-daemon
case "$desktop" in
  dunst) for tool in Xvfb dunst dunstctl; do need "$tool"; done ;;
  weston) for tool in weston weston-screenshooter; do need "$tool"; done ;;
esac

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export NOTIFY_TEST_DIR="$work"
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_CACHE_HOME="$work/cache" TOLVEK_HOME="$work/home"
mkdir -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$TOLVEK_HOME" \
  "$work/icons"

cat > "$work/bus.conf" << CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
cat > "$work/dunstrc" << CONF
[global]
sticky_history = yes
history_length = 100
markup = full
dmenu = $here/pick_action.sh
icon_path = $work/icons

[desktop_entry_seen]
desktop_entry = "${NOTIFY_DESKTOP_ENTRY:-}"
msg_urgency = normal
set_category = desktop-entry-seen
CONF

dbus-run-session --config-file="$work/bus.conf" -- bash "$0" --inside "$desktop" "$@"
