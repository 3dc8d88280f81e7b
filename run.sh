#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts the organizer. Arguments go to the program
# (any argument starts it in the notification area).
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh
# Data, sounds and help are kept beside this script unless TOLVEK_HOME says otherwise.
export TOLVEK_HOME="${TOLVEK_HOME:-$PWD}"
exec ./build/tolvek-organizer "$@"
