# Sourced with the build folder as $build: one Xvfb display and one Wine server that live as long
# as the calling script, with Wine's desktop process held by a window of its own. The screen is
# 1280x1024 unless the caller names another size in $screen.
display=:$((90 + RANDOM % 400))
Xvfb "$display" -screen 0 "${screen:-1280x1024}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() { wineserver -k >/dev/null 2>&1; kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; }
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
# One server for the whole run. Wine's own background processes start now, with their output
# going nowhere, so that they never hold a test's output pipe open.
wineserver -p >/dev/null 2>&1
wine cmd /c exit >/dev/null 2>&1 </dev/null
# The desktop process is started by the first program that makes a window, and keeps that
# program's error output open for as long as any window lives: a test that happened to start it
# would then never be seen to end. A window held for the whole run, by a program whose output goes
# nowhere, starts it first and keeps it.
ready=$(mktemp)
wine "$build/tests/hold_desktop.exe" >"$ready" 2>/dev/null </dev/null &
for _ in $(seq 300); do grep -q ready "$ready" && break; sleep 0.1; done
rm -f "$ready"

