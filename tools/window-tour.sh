#!/usr/bin/env bash
# tools/window-tour.sh BUILD FOLDER [REFERENCE]: pictures of every window of BUILD's program go
# into FOLDER (BMP files); with REFERENCE, a folder of an earlier tour, each picture is compared
# with its namesake byte for byte and the script fails when any differs.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?build folder}" && pwd)
mkdir -p "${2:?picture folder}" && out=$(cd "$2" && pwd)
reference=${3:-}
cmake --build "$build" --target window_tour -j2 >/dev/null || exit 1
"$here/wine-prefix.sh" "$build" || exit 1
. "$here/wine-env.sh" "$build"
. "$here/wine-display.sh"
rm -f "$out"/*.bmp
# The tour uses the fixed ports of the end-to-end tests: it waits for their machine-wide lock.
LUDORA_TOUR_DIR="Z:${out//\//\\}" flock -o /tmp/ludora-e2e-ports.lock wine \
  "$build/tests/app/window_tour.exe" --gtest_color=no || exit 1
[ -z "$reference" ] && exit 0
status=0
for picture in "$reference"/*.bmp; do
  name=$(basename "$picture")
  if cmp -s "$picture" "$out/$name"; then echo "same: $name"; else echo "DIFFERENT: $name"; status=1; fi
done
exit $status
