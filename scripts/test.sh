#!/usr/bin/env bash
# Builds Vantrelle with warnings as errors and runs every test headless; then builds again with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs the tests that can run under them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTRELLE_BUILD_DIR:-$top/build-test}
jobs=$(nproc)

bash "$top/scripts/deps.sh"

export QT_QPA_PLATFORM=offscreen
# The web engine will not start as root with its sandbox; tests may run as root (CI does).
export QTWEBENGINE_DISABLE_SANDBOX=1

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTRELLE_WERROR=ON >/dev/null
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" --output-on-failure -j "$jobs"

if [ "${VANTRELLE_SKIP_SANITIZERS:-0}" != 1 ]; then
  cmake -S "$top" -B "$build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTRELLE_WERROR=ON \
    -DVANTRELLE_SANITIZE=ON >/dev/null
  cmake --build "$build-asan" -j "$jobs"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
  export LSAN_OPTIONS=suppressions=$top/tests/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # Tests labelled "webengine" load Chromium, which does not run under these sanitizers.
  ctest --test-dir "$build-asan" --output-on-failure -j "$jobs" -LE webengine
fi
[ "${VANTRELLE_SKIP_FUZZ:-0}" = 1 ] || bash "$top/scripts/fuzz.sh"
echo "test: all tests passed"
