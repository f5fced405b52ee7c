#!/usr/bin/env bash
# Runs a Windows test program in a Wine prefix of its own beside the build's:
#   wine-run-apart.sh BUILD PREFIX_NAME PROGRAM [ARGS...]
# For tests that change what every program of the prefix sees (the display's DPI in
# HKCU\Control Panel\Desktop\LogPixels is read by each program as it starts): the tests that run
# beside them in the build's prefix never see the change. The prefix has a Wine server and a
# virtual display of its own, large enough for the main window at 200 %; like the end-to-end
# tests, the program waits for the machine-wide lock of their fixed ports.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build folder}" && pwd)
export LUDORA_PREFIX=${2:?prefix name}
shift 2
"$here/wine-prefix.sh" "$build" || exit 1
. "$here/wine-env.sh" "$build"
screen=2560x1600
. "$here/wine-display.sh"
flock -o /tmp/ludora-e2e-ports.lock wine "$@"
