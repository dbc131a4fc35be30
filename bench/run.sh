#!/usr/bin/env bash
# Measures Vantrelle against its floors and prints one table; writes it as CSV and plots the
# preview's scaling. Builds a Release tree of its own (build-bench/ beside src/).
#
#   bash bench/run.sh
#
# VBENCH_REPS (default 5) timed repetitions per measurement, after one warm-up;
# VBENCH_BUILD_DIR the build tree; VBENCH_SIZES the bookmark counts of the preview metric;
# VBENCH_COPY_MIB the size of the copied file; VBENCH_ONLY a space-separated subset of
# "p1 p2 p3 p4" (P5 and P6 come with P1 and P2).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VBENCH_BUILD_DIR:-$top/build-bench}
reps=${VBENCH_REPS:-5}
sizes=${VBENCH_SIZES:-1000 10000 100000}
copy_mib=${VBENCH_COPY_MIB:-256}
only=${VBENCH_ONLY:-p1 p2 p3 p4}
p2_count=${VBENCH_P2_COUNT:-10000}

want() { [[ " $only " == *" $1 "* ]]; }
say() { echo "bench: $*" >&2; }

# What the programs need, and what the benchmark needs on top: Xvfb and the X Damage headers.
bash "$top/scripts/deps.sh" >&2
missing=()
command -v Xvfb >/dev/null || missing+=(xvfb)
[ -e /usr/include/xcb/damage.h ] || missing+=(libxcb-damage0-dev)
command -v pkg-config >/dev/null || missing+=(pkg-config)
command -v python3 >/dev/null || missing+=(python3)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -q >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
fi

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTRELLE_BENCH=ON \
  -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" >/dev/null
bin=$build/bench
exe=$build/src/app/vantrelle
data=$build/bench-data
mkdir -p "$data"
raw=$build/bench-raw.txt
: > "$raw"

# Chromium will not run as root with its sandbox; this run turns it off, the program never does.
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
  say "running as root: the web engine's sandbox is off for this run"
fi

display=:$(( 200 + RANDOM % 300 ))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT INT TERM
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY=$display QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work/runtime}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
say "display $display (Xvfb, no window manager), $reps repetitions after a warm-up"

for n in $sizes $p2_count; do
  [ -s "$data/bookmarks-$n.html" ] ||
    python3 "$top/bench/gen_bookmarks.py" --count "$n" --output "$data/bookmarks-$n.html"
done

# record PREFIX < key=value lines: appends "PREFIX.key value" to the raw file.
record() {
  local prefix=$1 line
  while IFS= read -r line; do
    [[ $line == *=* ]] && echo "$prefix.${line%%=*} ${line#*=}" >> "$raw"
  done
}

# A copy of the program in a folder of its own, so that its settings file (beside it) is ours.
# $1: the bookmark file to preview, or empty for none.
fresh_vantrelle() {
  local dir
  dir=$(mktemp -d "$work/v.XXXXXX")
  cp "$exe" "$build/src/app/vantrelle-webengine.so" "$dir/"
  if [ -n "$1" ]; then
    printf '[Files]\nShowPreview=1\nNetscape Bookmark=%s\n[PreviewForm]\nTop=98\nLeft=500\nHeight=330\nWidth=280\n' \
      "$1" > "$dir/vantrelle.ini"
  fi
  echo "$dir/vantrelle"
}

launch() { "$bin/vbench-launch" "$@" 2>/dev/null; }

# i = 0 is the warm-up; the two programs alternate which goes first.
if want p1; then
  say "P1/P6: start-up and memory, preview off"
  for i in $(seq 0 "$reps"); do
    for k in 0 1 2; do
      case $(( (i + k) % 3 )) in
        0) out=$(launch --main "Vantrelle Ver1.20" --settle 1000 -- "$(fresh_vantrelle "")")
           [ "$i" -gt 0 ] && record p1.vantrelle <<< "$out" ;;
        1) out=$(launch --main "floor window" --settle 1000 -- "$bin/vbench-floor-window")
           [ "$i" -gt 0 ] && record p1.floor <<< "$out" ;;
        # What any window with Japanese text pays: the font configuration and a font.
        2) out=$(launch --main "floor window" --settle 1000 -- "$bin/vbench-floor-window" --text)
           [ "$i" -gt 0 ] && record p1.floortext <<< "$out" ;;
      esac
    done
  done
fi

if want p2; then
  file=$data/bookmarks-$p2_count.html
  say "P2/P5/P6: start-up with the preview of $p2_count bookmarks, idle CPU over 10 s, memory"
  for i in $(seq 0 "$reps"); do
    for k in 0 1 2; do
      case $(( (i + k) % 3 )) in
        0) out=$(launch --main "Vantrelle Ver1.20" --after PreviewForm --quiet 1500 --settle 2000 \
             --cpu 10 --timeout 120 -- "$(fresh_vantrelle "$file")")
           [ "$i" -gt 0 ] && record p2.vantrelle <<< "$out" ;;
        1) out=$(launch --main "floor web" --after "floor web" --quiet 1500 --settle 2000 \
             --cpu 10 --timeout 120 -- "$bin/vbench-floor-webview" "$file")
           [ "$i" -gt 0 ] && record p2.floorweb <<< "$out" ;;
        2) out=$(launch --main "floor window" --settle 500 -- "$bin/vbench-floor-window")
           [ "$i" -gt 0 ] && record p2.floor <<< "$out" ;;
      esac
    done
  done
fi

if want p3; then
  for n in $sizes; do
    say "P3: preview load of $n bookmarks, two processes of $reps turns each"
    for round in 1 2; do
      "$bin/vbench-preview-load" "$data/bookmarks-$n.html" "$reps" 2>/dev/null | record "p3.$n"
    done
  done
fi

if want p4; then
  say "P4: switch copy of $copy_mib MiB over an existing file"
  mkdir -p "$data/copy"
  QT_QPA_PLATFORM=offscreen "$bin/vbench-switch-copy" "$data/copy" "$copy_mib" "$reps" |
    record p4
fi

say "load: $(uptime)"
python3 "$top/bench/summarize.py" "$raw" "$build/results.csv" "$build/p3-scaling.csv" "$sizes"
if [ -s "$build/p3-scaling.csv" ]; then
  QT_QPA_PLATFORM=offscreen "$bin/vbench-plot" "$build/p3-scaling.csv" "$build/preview-scaling.png"
  say "plot: $build/preview-scaling.png"
fi
say "table: $build/results.csv, samples: $raw"
