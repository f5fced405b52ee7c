#!/usr/bin/env bash
# Runs a Windows program in the build's Wine prefix: wine-run.sh BUILD_DIR PROGRAM [ARGS...]
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "$1"
shift
exec wine "$@"
