#!/usr/bin/env bash
# Installs the build into a per-user prefix as the README says, checks what lands where and
# that the desktop's menu entry is valid, then starts the program through its link on a
# virtual X server, closes it through the window manager, and checks that it wrote its
# settings beside the real program.
#
#   install.sh <build folder> [<web engine module, when the build has one>]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: install.sh <build folder> [<module>]}
module=${2:-}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/vantrelle-install.XXXXXX")
SHOTS=$WORK

# shellcheck source=screen.sh
. "$here/screen.sh"
trap 'stop_all; rm -rf "$WORK"' EXIT

# A blank in the prefix, as in a home folder's name, must survive into the menu entry.
prefix="$WORK/home/hanako san/.local"
cmake --install "$build" --prefix "$prefix" >"$WORK/install.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$WORK/install.log")"
say "installed into $prefix"

lib=$prefix/lib/vantrelle
check "the program is in a folder of its own" '[ -x "$lib/vantrelle" ] && [ -f "$lib/vantrelle" ]'
if [ -n "$module" ]; then
    check "the web engine module is beside it" '[ -f "$lib/$(basename "$module")" ]'
fi
check "bin/vantrelle is a relative link to it" \
    '[ -L "$prefix/bin/vantrelle" ] && [ "$(readlink "$prefix/bin/vantrelle")" = ../lib/vantrelle/vantrelle ] && [ "$prefix/bin/vantrelle" -ef "$lib/vantrelle" ]'

desktop=$prefix/share/applications/vantrelle.desktop
check "the menu entry is there" '[ -f "$desktop" ]'
check "the menu entry is valid (desktop-file-validate)" 'desktop-file-validate "$desktop"'
entry() { sed -n "s/^$1=//p" "$desktop"; }
check "the entry starts the installed program by its absolute path" \
    '[ "$(entry Exec)" = "\"$lib/vantrelle\"" ]'
check "the entry names the icon, the menu category and the window class" \
    '[ "$(entry Icon)" = vantrelle ] && [ "$(entry Categories)" = "Utility;" ] && [ "$(entry StartupWMClass)" = vantrelle ] && [ "$(entry Name)" = Vantrelle ] && [ -n "$(entry "Name\[ja\]")" ]'
for n in 16 32 48; do
    icon=$prefix/share/icons/hicolor/${n}x${n}/apps/vantrelle.png
    check "the ${n}x$n icon is a PNG of that size with transparency" \
        '[[ "$(pngtopam -alphapam "$icon" 2>/dev/null | pamfile 2>/dev/null | tr "\n" " ")" == *"$n by $n by 4"*RGB_ALPHA* ]]'
done
in_manifest() {
    for f in "$@"; do grep -qxF "$f" "$build/install_manifest.txt" || return 1; done
}
check "the link and the menu entry are in the install manifest, for uninstalling" \
    'in_manifest "$lib/vantrelle" "$prefix/bin/vantrelle" "$desktop"'

# A staged install, as a package is built: the files go under DESTDIR, the entry does not
# name it.
DESTDIR=$WORK/stage cmake --install "$build" --prefix /opt/vantrelle >"$WORK/stage.log" 2>&1 ||
    fail "the staged install failed: $(cat "$WORK/stage.log")"
check "a staged install's entry names the final path" \
    '[ "$(sed -n "s/^Exec=//p" "$WORK/stage/opt/vantrelle/share/applications/vantrelle.desktop")" = /opt/vantrelle/lib/vantrelle/vantrelle ]'
check "a staged install's link still points at the program" \
    '[ "$WORK/stage/opt/vantrelle/bin/vantrelle" -ef "$WORK/stage/opt/vantrelle/lib/vantrelle/vantrelle" ]'

# Started through the link, from another folder, as a menu or a shell starts it, with a
# bookmark file to preview, so that the web engine must come from the program's folder.
cp "$here/../data/preview/utf8.html" "$WORK/bookmarks.html"
printf '[Files]\nShowPreview=1\nNetscape Bookmark=%s\n' "$WORK/bookmarks.html" >"$lib/vantrelle.ini"
x_start
mkdir -p "$WORK/elsewhere"
RUN=$((RUN + 1))
APP_ERR=$WORK/run-$RUN.stderr
(cd "$WORK/elsewhere" && QT_QPA_PLATFORM=xcb exec "$prefix/bin/vantrelle") >/dev/null 2>"$APP_ERR" &
APP_PID=$!
main=$(wait_window '^Vantrelle Ver1\.20$') || exit 1
check "the window's class matches the menu entry" \
    'xprop -id "$main" WM_CLASS | grep "\"vantrelle\"" >/dev/null'
wait_painted "$main" "the main window"
preview=$(wait_window '^PreviewForm$' "$main") || exit 1
wait_painted "$preview" "the preview's page" 40
say "ok: the installed program shows the preview, with the engine from its own folder"
keys "$main" alt+F4
app_wait_exit
check "the program ended with status 0 (it was $APP_RC)" '[ "$APP_RC" = 0 ]'
check "the settings file beside the real program was written at the close" 'grep -q "^MainForm.Bounds=" "$lib/vantrelle.ini"'
check "no settings file beside the link or in the working folder" \
    '[ ! -e "$prefix/bin/vantrelle.ini" ] && [ -z "$(ls -A "$WORK/elsewhere")" ]'
say "install: all checks passed"
