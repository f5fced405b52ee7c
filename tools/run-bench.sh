#!/usr/bin/env bash
# Runs the benchmarks under Wine inside their own Xvfb display: run-bench.sh BUILD_DIR [ROUNDS]
# The framework's figures come first, then start-up against the bare window program with the local
# management service on its default port.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
rounds=${2:-7}
"$here/wine-prefix.sh" "$build" || exit 1
. "$here/wine-env.sh" "$build"

# A black root window, so that the screen behind a window not yet painted is one flat colour.
display=:$((500 + RANDOM % 400))
Xvfb "$display" -screen 0 1280x1024x24 -br -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
python3 "$here/management_service.py" --port 18360 --portal-ports 18361,18362,18363 \
  --content "$here/service-content" &
service_pid=$!
cleanup() {
  kill "$service_pid" "$xvfb_pid" 2>/dev/null
  wait "$service_pid" "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

wine "$build/bench/skin_bench.exe" || exit 1
wine "$build/bench/game_column_bench.exe" || exit 1
wine "$build/bench/search_bench.exe" || exit 1
wine "$build/bench/startup_bench.exe" "$rounds" "$(winepath -w "$build/bench/bare_window.exe")" \
  "$(winepath -w "$build/Ludora.exe")" 18360 "$(winepath -w "$build/tools/demogames/demogame.exe")"
