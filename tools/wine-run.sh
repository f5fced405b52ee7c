#!/usr/bin/env bash
# Runs a Windows program in the build's Wine prefix: wine-run.sh BUILD_DIR PROGRAM [ARGS...]
# With LUDORA_HOST_LOCK set, waits for a machine-wide lock first: end-to-end tests use fixed TCP
# ports (the control channel, the local management service), which every build tree shares. The
# lock's file is not handed down (-o): a program that a killed test left running must not hold
# every build tree's end-to-end tests up for good.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "$1"
shift
if [ -n "${LUDORA_HOST_LOCK:-}" ]; then
  exec flock -o /tmp/ludora-e2e-ports.lock wine "$@"
fi
exec wine "$@"
