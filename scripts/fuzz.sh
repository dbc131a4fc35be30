#!/usr/bin/env bash
# Builds the libFuzzer fuzzers with clang and runs each over its corpus: for
# VANTRELLE_FUZZ_SECONDS seconds each (30 by default) or, with VANTRELLE_FUZZ_RUNS=N, for N
# executions each. Fails when any of them finds a crash, a sanitizer report or a broken
# promise; the input that did it is kept in the build folder's artifacts/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VANTRELLE_FUZZ_BUILD_DIR:-$top/build-fuzz}
seconds=${VANTRELLE_FUZZ_SECONDS:-30}
runs=${VANTRELLE_FUZZ_RUNS:-}

bash "$top/scripts/deps.sh"

CC=clang-14 CXX=clang++-14 cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANTRELLE_WERROR=ON -DVANTRELLE_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target vantrelle_fuzzers

# fuzzer name and the longest input worth trying: a number, a list of bounds, a path, and a
# settings file with the section, key and value written to it.
fuzzers=(
  "strtoint 32"
  "commatext 128"
  "splittext 128"
  "fitpath 128"
  "sourcelist 256"
  "inifile 384"
)

# The runs grow a scratch copy of each corpus, never the one in the repository; the settings
# files the INI fuzzer writes go to a scratch folder too, in memory where there is one.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vantrelle-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  files=$(mktemp -d /dev/shm/vantrelle-fuzz.XXXXXX)
  trap 'rm -rf "$scratch" "$files"' EXIT
else
  files=$scratch/files
  mkdir -p "$files"
fi
artifacts=$build/artifacts
mkdir -p "$artifacts"

# Short allocation stacks and a small quarantine keep the runs fast; a kept input re-run by
# hand gives the full report.
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:malloc_context_size=2:quarantine_size_mb=16
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
if [ -n "$runs" ]; then limit=(-runs="$runs"); else limit=(-max_total_time="$seconds"); fi

failed=()
for entry in "${fuzzers[@]}"; do
  read -r name max_len <<<"$entry"
  corpus=$scratch/corpus-$name
  cp -r "$top/tests/fuzz/corpus/$name" "$corpus"
  log=$build/fuzz_$name.log
  echo "fuzz: $name (${runs:+$runs runs}${runs:-$seconds s}, max_len $max_len)"
  if TMPDIR=$files "$build/tests/fuzz/fuzz_$name" "${limit[@]}" -max_len="$max_len" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/$name-" \
    "$corpus" >"$log" 2>&1; then
    # libFuzzer's last progress line: executions, coverage, features, corpus.
    grep -E '^#[0-9]+' "$log" | tail -n 1 | sed "s/^/fuzz: $name: /"
    grep -E 'stat::(number_of_executed_units|average_exec_per_sec)' "$log" | sed "s/^/fuzz: $name: /"
  else
    tail -n 40 "$log"
    echo "fuzz: $name FAILED; the input is in $artifacts, the whole log in $log"
    failed+=("$name")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: ${#failed[@]} fuzzer(s) found a fault: ${failed[*]}"
  exit 1
fi
echo "fuzz: all ${#fuzzers[@]} fuzzers ran without a fault"
