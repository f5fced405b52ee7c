#!/usr/bin/env bash
# Runs every test under Wine inside one Xvfb display that lives as long as the run.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
shift || true
"$here/wine-prefix.sh" "$build" || exit 1
. "$here/wine-env.sh" "$build"

. "$here/wine-display.sh"

cd "$build"
ctest --output-on-failure --timeout 180 -j2 "$@"
