#!/usr/bin/env bash
# End-to-end test: the built program, copied into a folder of its own as a user keeps it, on a
# virtual X server with openbox, used only through the screen with xdotool: clicks on its
# buttons, paths typed into the real file dialogs, keys for the file service's questions.
# What it did is checked on disk, in the settings file and in the windows' places.
#
#   e2e.sh <vantrelle executable> [<web engine module>] [<screenshot folder>]
#
# The screenshots go to VANTRELLE_E2E_SHOTS when set, else to the third argument.
# VANTRELLE_E2E_KEEP=1 keeps the work folder (program, fixtures, logs) for a look afterwards.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=${1:?usage: e2e.sh <vantrelle> [<module>] [<shots>]}
module=${2:-}
SHOTS=${VANTRELLE_E2E_SHOTS:-${3:-$PWD/e2e-shots}}
data=$here/../data/preview
mkdir -p "$SHOTS"
SHOTS=$(cd "$SHOTS" && pwd)
rm -f "$SHOTS"/failure-*.png # from an earlier run
WORK=$(mktemp -d "${TMPDIR:-/tmp}/vantrelle-e2e.XXXXXX")

# shellcheck source=screen.sh
. "$here/screen.sh"

finish() {
    stop_all
    if [ "${VANTRELLE_E2E_KEEP:-0}" = 1 ]; then say "work folder kept: $WORK"; else rm -rf "$WORK"; fi
}
trap finish EXIT

title='^Vantrelle Ver1\.20$'
# Places in the main window's client area, from its fixed layout.
netscape_bt=(36 11)
source_bt=(108 11)
execute_bt=(176 11)
version_bt=(260 11)
delete_box=(30 112)
about_ok=(117 180)

# The program as a user keeps it: in a folder of its own, which it can write, with the web
# engine's module beside it.
app=$WORK/app
mkdir -p "$app"
cp "$exe" "$app/vantrelle"
[ -n "$module" ] && cp "$module" "$app/"

# A browser profile folder, and a folder of saved bookmark lists.
profile=$WORK/home/hanako/.mozilla/firefox/x1y2z3ab.default-release
lists=$WORK/home/hanako/bookmarks
backups=$WORK/home/hanako/backup
mkdir -p "$profile" "$lists" "$backups" "$WORK/orig"
browser=$profile/bookmarks.html
cat >"$WORK/orig/current.html" <<'EOF'
<!DOCTYPE NETSCAPE-Bookmark-file-1>
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<TITLE>Bookmarks</TITLE>
<H1>ブックマーク</H1>
<DL><p>
    <DT><A HREF="https://www.example.com/news">今日のニュース</A>
    <DT><A HREF="https://www.example.com/weather">天気予報</A>
</DL><p>
EOF
cp "$WORK/orig/current.html" "$browser"
cp "$data/utf8.html" "$lists/work.html"
cp "$data/sjis.html" "$lists/private.html"
cmp -s "$browser" "$lists/work.html" && fail "the fixtures must differ"

# The preview window's stored place; nothing else is stored yet.
ini=$app/vantrelle.ini
printf '[PreviewForm]\nTop=98\nLeft=500\nHeight=330\nWidth=280\n' >"$ini"
stored_preview="500 98 280 330"

x_start

# The preview's close button: centred in the panel along the window's bottom edge.
close_preview() { # preview-id
    local w h
    read -r w h < <(xwininfo -id "$1" | awk '/^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print w, h}')
    click "$1" $((w / 2)) $((h - 45 + 8 + 12))
    wait_gone "$1" "the preview window after 閉じる"
}

# The main window's plain message box: captioned with the program's title, owned by the
# main window. Photographed, then closed with its OK (Return).
expect_message() { # main-id shot-name
    local box
    box=$(wait_window "$title" "$1") || exit 1
    xprop -id "$box" WM_TRANSIENT_FOR | grep -i "$(printf '0x%x' "$1")" >/dev/null ||
        fail "the message box is not owned by the main window"
    wait_painted "$box" "the message box" 10
    shoot "$2" "$box"
    # What the box shows, to tell its text from another box's without reading it.
    MESSAGE_LOOK=$(xwd -id "$box" -silent | xwdtopnm 2>/dev/null | md5sum)
    keys "$box" Return
    wait_gone "$box" "the message box"
}

# The only windows shown are these: nothing else was opened behind the test's back.
only_windows() { # what ids...
    local what=$1
    shift
    local want got
    want=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
    got=$(all_windows | sort | tr '\n' ' ')
    [ "$want" = "$got" ] || fail "$what: expected the windows [$want], found [$got]"
}

# The first run: nothing chosen yet.
app_start "$app/vantrelle"
main=$(wait_window "$title") || exit 1
wait_painted "$main" "the main window"
say "case: Execute with nothing chosen"
click "$main" "${execute_bt[@]}"
expect_message "$main" message-choose-netscape
choose_netscape_look=$MESSAGE_LOOK
click "$main" "${delete_box[@]}"
click "$main" "${execute_bt[@]}"
expect_message "$main" message-choose-netscape-delete-mode
check "delete mode shows the same message" '[ "$MESSAGE_LOOK" = "$choose_netscape_look" ]'
click "$main" "${delete_box[@]}"
cmp -s "$browser" "$WORK/orig/current.html" || fail "the browser's file changed"
[ -z "$(ls -A "$backups")" ] || fail "a backup was made"
say "ok: a message box each time (also in delete mode), no dialog after it, no file touched"

say "case: the about box"
click "$main" "${version_bt[@]}"
about=$(wait_window '^バージョン情報$' "$main") || exit 1
only_windows "after the message, the about box" "$main" "$about"
wait_painted "$about" "the about box"
shoot about "$about"
click "$about" "${about_ok[@]}"
wait_gone "$about" "the about box"
say "ok: the about box opened from its button and closed with OK"

say "case: a pick shows the preview at its stored place; 閉じる hides it"
click "$main" "${netscape_bt[@]}"
open=$(wait_window '.' "$main") || exit 1
wait_painted "$open" "the open dialog"
shoot open-dialog "$open"
enter_path "$open" "$browser"
preview=$(wait_window '^PreviewForm$' "$main") || exit 1
check "the preview window is at the stored place ($stored_preview)" \
    '[ "$(frame_of "$preview")" = "$stored_preview" ]'
# The page is rendered: its text is more than a few flat colours.
wait_painted "$preview" "the preview's page" 40
close_preview "$preview"
say "ok: the preview went away with 閉じる"

say "case: Execute in copy mode with no source chosen"
click "$main" "${execute_bt[@]}"
expect_message "$main" message-choose-source
check "the message for a missing source differs from the one for a missing Netscape file" \
    '[ "$MESSAGE_LOOK" != "$choose_netscape_look" ]'
# The next window is the one asked for: no backup dialog came after the message.
click "$main" "${source_bt[@]}"
open=$(wait_window '.' "$main") || exit 1
only_windows "after the message, the open dialog" "$main" "$open"
cmp -s "$browser" "$WORK/orig/current.html" || fail "the browser's file changed"
say "ok: a message, no backup offered, the browser's file untouched"

say "case: a whole switch"
enter_path "$open" "$lists/work.html"
# The pick shows the preview again, since the box is still ticked.
preview=$(wait_window '^PreviewForm$' "$main") || exit 1
check "the preview is back at its place after the pick" '[ "$(frame_of "$preview")" = "$stored_preview" ]'
wait_painted "$preview" "the preview's page" 40
shoot main-window "$main"
shoot preview "$main" "$preview"
click "$main" "${execute_bt[@]}"
expect_message "$main" message-where-to-back-up
where_look=$MESSAGE_LOOK
save=$(wait_window '.' "$main" "$preview") || exit 1
wait_painted "$save" "the save dialog"
shoot save-dialog "$save"
enter_path "$save" "$backups/before-work.html"
replace=$(wait_window '^ファイルの置き換えの確認$' "$main" "$preview") || exit 1
wait_painted "$replace" "the replace question"
shoot replace-question "$replace"
answer "$replace" alt+y "the replace question"
poll "$TIMEOUT" 'cmp -s "$browser" "$lists/work.html"' || fail "the browser's file is not the source"
check "the backup equals the old browser's file" 'cmp -s "$backups/before-work.html" "$WORK/orig/current.html"'
check "the browser's file equals the source" 'cmp -s "$browser" "$lists/work.html"'
check "the source is unchanged" 'cmp -s "$lists/work.html" "$data/utf8.html"'

say "case: delete mode"
click "$main" "${delete_box[@]}"
click "$main" "${execute_bt[@]}"
expect_message "$main" message-where-to-back-up-delete-mode
check "delete mode asks for the backup with the same message" '[ "$MESSAGE_LOOK" = "$where_look" ]'
save=$(wait_window '.' "$main" "$preview") || exit 1
enter_path "$save" "$backups/before-new.html"
ask=$(wait_window '^ファイルの削除の確認$' "$main" "$preview") || exit 1
wait_painted "$ask" "the delete question"
shoot delete-question "$ask"
answer "$ask" alt+y "the delete question"
poll "$TIMEOUT" '[ ! -e "$browser" ]' || fail "the browser's file was not deleted"
check "the backup equals the browser's file before the delete" \
    'cmp -s "$backups/before-new.html" "$lists/work.html"'
check "the browser's file is gone" '[ ! -e "$browser" ]'
click "$main" "${delete_box[@]}"

say "case: the settings are written when the window manager closes the main window"
# Moved by its title bar, as a person moves it.
read -r mx my mw mh < <(frame_of "$main")
drag $((mx + 60)) $((my + 8)) 40 242
poll "$TIMEOUT" '[ "$(frame_of "$main" | cut -d" " -f1-2)" = "$((mx + 40)) $((my + 242))" ]' ||
    fail "the main window did not move with its title bar (now at $(frame_of "$main"))"
read -r mx my mw mh < <(frame_of "$main")
read -r px py pw ph < <(frame_of "$preview")
keys "$main" alt+F4
app_wait_exit
check "the program ended with status 0 (it was $APP_RC)" '[ "$APP_RC" = 0 ]'
check "the settings file holds the Netscape file" \
    'grep -qxF "Netscape Bookmark=$browser" "$ini"'
check "the settings file holds the preview switch" 'grep -qx "ShowPreview=1" "$ini"'
check "the settings file holds the preview's place" \
    'grep -qx "Top=$py" "$ini" && grep -qx "Left=$px" "$ini" && grep -qx "Height=$ph" "$ini" && grep -qx "Width=$pw" "$ini"'
bounds="0,-1,-1,-1,-1,$mx,$my,$((mx + mw)),$((my + mh))"
check "the settings file holds the main window's place ($bounds)" \
    'grep -qxF "MainForm.Bounds=$bounds" "$ini"'

say "case: a second start restores the Netscape file, the preview and the main window's place"
app_start "$app/vantrelle"
main=$(wait_window "$title") || exit 1
check "the main window is where it was ($mx $my $mw $mh)" '[ "$(frame_of "$main")" = "$mx $my $mw $mh" ]'
preview=$(wait_window '^PreviewForm$' "$main") || exit 1
check "the preview is shown at its place ($px $py $pw $ph)" \
    '[ "$(frame_of "$preview")" = "$px $py $pw $ph" ]'
# The restored Netscape file is the one a switch writes to. It is gone since the delete, so
# no backup is asked for and the source is copied straight away.
click "$main" "${source_bt[@]}"
open=$(wait_window '.' "$main" "$preview") || exit 1
enter_path "$open" "$lists/private.html"
click "$main" "${execute_bt[@]}"
poll "$TIMEOUT" 'cmp -s "$browser" "$lists/private.html"' ||
    fail "the switch after the restart did not write the restored Netscape file"
say "ok: the switch after the restart wrote the restored Netscape file"

say "case: a main window kept maximised comes back maximised"
maximised() { xprop -id "$1" _NET_WM_STATE | grep '_NET_WM_STATE_MAXIMIZED_VERT, _NET_WM_STATE_MAXIMIZED_HORZ\|_NET_WM_STATE_MAXIMIZED_HORZ, _NET_WM_STATE_MAXIMIZED_VERT' >/dev/null; }
read -r mx my mw mh < <(frame_of "$main")
keys "$main" alt+F4
app_wait_exit
check "the program ended with status 0 (it was $APP_RC)" '[ "$APP_RC" = 0 ]'
# The window has a fixed size, so openbox offers no way to maximise it; a settings file from
# a session where it was maximised says so in the first item of its bounds.
normal="$mx,$my,$((mx + mw)),$((my + mh))"
grep -qxF "MainForm.Bounds=0,-1,-1,-1,-1,$normal" "$ini" || fail "the bounds were not kept: $(grep Bounds= "$ini")"
sed -i "s/^MainForm.Bounds=0,/MainForm.Bounds=2,/" "$ini"
app_start "$app/vantrelle"
main=$(wait_window "$title") || exit 1
check "the main window comes back maximised" 'poll "$TIMEOUT" maximised "$main"'
wait_painted "$main" "the maximised main window"
keys "$main" alt+F4
app_wait_exit
check "the program ended with status 0 (it was $APP_RC)" '[ "$APP_RC" = 0 ]'
check "the settings file keeps the maximised state and the normal place" \
    'grep -qxF "MainForm.Bounds=2,-1,-1,-1,-1,$normal" "$ini"'

say "all cases passed; screenshots in $SHOTS"
