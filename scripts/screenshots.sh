#!/usr/bin/env bash
# Takes the README's pictures afresh: runs the end-to-end test (tests/e2e/e2e.sh), which uses
# the program on a virtual X server with openbox and photographs every window on its way,
# and, when it passes, copies the pictures the README shows into docs/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTRELLE_BUILD_DIR:-$top/build}
shots=${VANTRELLE_E2E_SHOTS:-$build/e2e-shots}

bash "$top/scripts/deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target vantrelle
module=
for candidate in "$build"/src/app/vantrelle-webengine.so; do
  [ -f "$candidate" ] && module=$candidate
done
# The web engine will not start as root with its sandbox; a bare build machine often is root.
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

rm -rf "$shots"
VANTRELLE_E2E_SHOTS=$shots bash "$top/tests/e2e/e2e.sh" "$build/src/app/vantrelle" "$module"

for name in main-window preview about save-dialog replace-question; do
  cp "$shots/$name.png" "$top/docs/$name.png"
  echo "screenshots: docs/$name.png"
done
echo "screenshots: every window the test photographed is in $shots"
