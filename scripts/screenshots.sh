#!/usr/bin/env bash
# Photographs Vantrelle's windows for the README: the program runs on a virtual X server
# with a window manager, from a folder of its own (its settings file lives beside it), with a
# bookmark file chosen and the preview on. Writes docs/main-window.png, docs/preview.png and
# docs/about.png.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTRELLE_BUILD_DIR:-$top/build}
out=$top/docs

bash "$top/scripts/deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target vantrelle
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

work=$(mktemp -d)
display=:$(( 200 + RANDOM % 100 ))
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

# A profile folder as a browser keeps it, so that the label shows how a long path is fitted.
profile=$work/home/hanako/.mozilla/firefox/x1y2z3ab.default-release
mkdir -p "$profile" "$work/bin"
cp "$build/src/app/vantrelle" "$work/bin/vantrelle"
cp "$top/tests/data/preview/utf8.html" "$profile/bookmarks.html"
printf '[Files]\nShowPreview=1\nNetscape Bookmark=%s\n[PreviewForm]\nTop=98\nLeft=500\nHeight=330\nWidth=280\n' \
  "$profile/bookmarks.html" > "$work/bin/vantrelle.ini"

Xvfb "$display" -screen 0 800x460x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display
openbox >/dev/null 2>&1 & pids+=($!)
sleep 0.5
QT_QPA_PLATFORM=xcb "$work/bin/vantrelle" >/dev/null 2>&1 & pids+=($!)

# The frame of the window with this title, as x y width height.
frame_of() {
  local id
  id=$(xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)
  xwininfo -frame -id "$(xwininfo -id "$id" -children | awk '/Parent window id/ {print $4}')" |
    awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} /Width/ {w=$2} /Height/ {h=$2} END {print x, y, w, h}'
}
shoot() { # name x y w h
  xwd -root -silent | xwdtopnm 2>/dev/null | pnmcut "$2" "$3" "$4" "$5" | pnmtopng > "$out/$1.png"
  echo "screenshots: $out/$1.png"
}

sleep 4
read -r mx my mw mh < <(frame_of 'Vantrelle Ver1.20')
read -r px py pw ph < <(frame_of 'PreviewForm')
shoot main-window "$mx" "$my" "$mw" "$mh"
right=$(( px + pw > mx + mw ? px + pw : mx + mw ))
bottom=$(( py + ph > my + mh ? py + ph : my + mh ))
shoot preview "$mx" "$my" $(( right - mx )) $(( bottom - my ))

# The about box, from its button ("バージョン情報", the last of the four at the top).
xdotool mousemove $(( mx + 1 + 260 )) $(( my + 21 + 11 )) click 1
sleep 1
read -r ax ay aw ah < <(frame_of 'バージョン情報')
shoot about "$ax" "$ay" "$aw" "$ah"
