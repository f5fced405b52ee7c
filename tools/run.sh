#!/usr/bin/env bash
# Runs build/Ludora.exe under Wine with the local management service on its default ports.
# Usage: tools/run.sh [BUILD_DIR] [program arguments...]
# Without a display it runs on a virtual one and saves a screenshot every few seconds into a folder
# named on the terminal. Ending the program, or Ctrl+C, stops everything this script started.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
shift || true

export LUDORA_PREFIX=runprefix
"$here/wine-prefix.sh" "$build" || exit 1
"$here/install-demo-games.sh" "$build" || exit 1
. "$here/wine-env.sh" "$build"

python3 "$here/management_service.py" --port 18360 --portal-ports 18361,18362,18363 \
  --content "$here/service-content" &
service_pid=$!
xvfb_pid=
shots_pid=
cleanup() {
  [ -n "$shots_pid" ] && kill "$shots_pid" 2>/dev/null
  # Every Windows process of this prefix goes: the program, its pop-ups, a started demo game.
  wineserver -k 2>/dev/null
  kill "$service_pid" 2>/dev/null
  wait "$service_pid" 2>/dev/null
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
}
trap cleanup EXIT
trap "exit 130" INT TERM

take_screenshots() {
  local folder=$1
  while sleep 5; do
    import -window root -display "$DISPLAY" "$folder/ludora-$(date +%H%M%S).png" 2>/dev/null
  done
}

if [ -z "${DISPLAY:-}" ]; then
  display=:$((500 + RANDOM % 400))
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
  shots="$build/screenshots/run-$(date +%Y%m%d-%H%M%S)"
  mkdir -p "$shots"
  take_screenshots "$shots" &
  shots_pid=$!
  echo "run: no display given, the program runs on the virtual display $display"
  echo "run: a screenshot every 5 seconds goes to $shots"
fi

wine "$build/Ludora.exe" "$@"
