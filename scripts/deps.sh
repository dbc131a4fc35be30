#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running Vantrelle needs.
# This is the one list: run.sh, test.sh and .ci/run all come through here.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-base-private-dev qt6-webengine-dev qt6-webengine-dev-tools
  libgl-dev libxkbcommon-dev
  # run: the platform plugins, Japanese translations of Qt's own dialogs, the form font's fallback
  qt6-qpa-plugins qt6-translations-l10n fonts-ipafont-gothic fonts-dejavu-core
  # a virtual display, and a way to photograph it
  xvfb xauth x11-apps netpbm openbox xdotool
  # the end-to-end and install tests: window facts (xwininfo, xprop), the menu entry's checker
  x11-utils desktop-file-utils
  # fuzzing (scripts/fuzz.sh): clang and its libFuzzer and sanitizer runtimes
  clang-14 libclang-rt-14-dev
)

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "deps: everything is installed"
  exit 0
fi
echo "deps: installing ${missing[*]}"
"${sudo[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
