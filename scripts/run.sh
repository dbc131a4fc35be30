#!/usr/bin/env bash
# Builds Vantrelle and starts it.
# With a display (X11 or Wayland) the window opens there. Without one, the program starts on
# a virtual X server (Xvfb), a screenshot of the screen is written, and the program keeps
# running until Ctrl-C (or for VANTRELLE_RUN_SECONDS seconds when that is set).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTRELLE_BUILD_DIR:-$top/build}

bash "$top/scripts/deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target vantrelle
exe=$build/src/app/vantrelle

# Chromium, inside Qt WebEngine, will not run as root with its sandbox. A bare build machine
# often is root, so this script turns the sandbox off for such a run. The program never does.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
  echo "run: running as root, so the web engine's sandbox is off for this run (QTWEBENGINE_DISABLE_SANDBOX=1)"
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  if [ -n "${VANTRELLE_RUN_SECONDS:-}" ]; then
    exec timeout "$VANTRELLE_RUN_SECONDS" "$exe"
  fi
  exec "$exe"
fi

# No display: a virtual one.
display=:$(( 90 + RANDOM % 100 ))
shot=${VANTRELLE_SCREENSHOT:-$build/screenshot.png}
Xvfb "$display" -screen 0 800x500x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
prog=
cleanup() {
  [ -n "$prog" ] && kill "$prog" 2>/dev/null || true
  [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT INT TERM
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
# A window manager, so that the window has its frame and title bar as on a desktop.
DISPLAY=$display openbox >/dev/null 2>&1 &
wm=$!
echo "run: no display here; Vantrelle runs on the virtual display $display (Xvfb, openbox)"
DISPLAY=$display QT_QPA_PLATFORM=xcb "$exe" &
prog=$!
# The photograph waits for the main window (a loaded machine can take a while), then gives the
# preview a moment to draw.
DISPLAY=$display timeout 60 xdotool search --sync --onlyvisible --name "Vantrelle Ver1.20" \
  >/dev/null 2>&1 || true
sleep "${VANTRELLE_SHOT_DELAY:-3}"
if ! kill -0 "$prog" 2>/dev/null; then
  wait "$prog" || true
  echo "run: Vantrelle ended before its window could be photographed" >&2
  exit 1
fi
DISPLAY=$display xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > "$shot"
echo "run: screenshot of the virtual screen written to $shot"
echo "run: to look at the live window, point a VNC server at $display (for example: apt-get install x11vnc && x11vnc -display $display), or run this script on a desktop"
if [ -n "${VANTRELLE_RUN_SECONDS:-}" ]; then
  sleep "$VANTRELLE_RUN_SECONDS"
else
  echo "run: press Ctrl-C to stop"
  wait "$prog"
fi
