#!/usr/bin/env bash
# Runs build/Ludora.exe under Wine with the local management service on its default ports.
# Usage: tools/run.sh [BUILD_DIR] [program arguments...]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
shift || true

export LUDORA_PREFIX=runprefix
"$here/wine-prefix.sh" "$build" || exit 1
"$here/install-demo-games.sh" "$build" || exit 1

python3 "$here/management_service.py" --port 18360 --portal-ports 18361,18362,18363 \
  --content "$here/service-content" &
service_pid=$!
xvfb_pid=
cleanup() {
  kill "$service_pid" 2>/dev/null
  wait "$service_pid" 2>/dev/null
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
}
trap cleanup EXIT
trap "exit 130" INT TERM

if [ -z "${DISPLAY:-}" ]; then
  display=:$((500 + RANDOM % 400))
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
  echo "run: no display given, the program runs on the virtual display $display"
fi

"$here/wine-run.sh" "$build" "$build/Ludora.exe" "$@"
