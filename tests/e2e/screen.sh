# Helpers for tests that use Vantrelle through the screen: a virtual X server with openbox,
# windows found by their titles, clicks and keys as a person gives them, photographs.
# Sourced by e2e.sh and install.sh, which set WORK (a folder of the test's own) and SHOTS
# (where photographs go) first.

TIMEOUT=${VANTRELLE_E2E_TIMEOUT:-60} # seconds any one wait may take before the test fails
APP_PID=
APP_ERR=
XVFB_PID=
WM_PID=
RUN=0
STEP=0

say() { printf '%s: %s\n' "${0##*/}" "$*"; }

# Polls a shell condition every tenth of a second until it holds; false after `seconds`.
# The condition is evaluated here, so it names the caller's variables, never "$1".
poll() { # seconds condition...
    local _poll_tries=$(($1 * 10))
    shift
    while ((_poll_tries-- > 0)); do
        if eval "$*"; then return 0; fi
        sleep 0.1
    done
    return 1
}

fail() {
    printf '%s: FAILED: %s\n' "${0##*/}" "$*" >&2
    if [ -n "${DISPLAY:-}" ] && [ -n "$XVFB_PID" ]; then
        STEP=$((STEP + 1))
        local shot=$SHOTS/failure-$STEP.png
        if xwd -root -silent 2>/dev/null | xwdtopnm 2>/dev/null | pnmtopng >"$shot" 2>/dev/null; then
            printf '%s: the screen at the failure: %s\n' "${0##*/}" "$shot" >&2
        fi
    fi
    if [ -n "$APP_ERR" ] && [ -s "$APP_ERR" ]; then
        printf '%s: the program'"'"'s stderr (%s):\n' "${0##*/}" "$APP_ERR" >&2
        sed 's/^/    /' "$APP_ERR" >&2
    fi
    exit 1
}

check() { # description condition...
    local what=$1
    shift
    eval "$*" || fail "$what"
    say "ok: $what"
}

stop_all() {
    # Only what this test started, by its process id.
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
    [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    return 0
}

# A virtual X server on a display number it finds free itself, and openbox on it.
x_start() {
    local fd=$WORK/display-number
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd" >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    poll "$TIMEOUT" '[ -s "$fd" ]' || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=:$(head -n 1 "$fd")
    # Nothing of the user's desktop (a session bus, another X server) should leak in.
    unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS XAUTHORITY
    openbox >"$WORK/openbox.log" 2>&1 &
    WM_PID=$!
    poll "$TIMEOUT" 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep "window id" >/dev/null' ||
        fail "openbox did not start: $(cat "$WORK/openbox.log")"
    say "virtual screen $DISPLAY (Xvfb 1024x768, openbox)"
}

# Starts the program at `exe` on the virtual screen; its stderr goes to a file of this run.
app_start() { # exe
    RUN=$((RUN + 1))
    APP_ERR=$WORK/run-$RUN.stderr
    (cd "$(dirname "$1")" && QT_QPA_PLATFORM=xcb exec "$1") >"$WORK/run-$RUN.stdout" 2>"$APP_ERR" &
    APP_PID=$!
}

# Waits for the program to end on its own; sets APP_RC.
app_wait_exit() {
    poll "$TIMEOUT" '! kill -0 "$APP_PID" 2>/dev/null' || fail "the program did not end"
    APP_RC=0
    wait "$APP_PID" || APP_RC=$?
    APP_PID=
}

app_alive() { kill -0 "$APP_PID" 2>/dev/null; }

# The program's visible windows whose title matches the regular expression, one id a line.
windows() { # title-regex
    app_alive || return 0
    xdotool search --all --onlyvisible --pid "$APP_PID" --name "$1" 2>/dev/null || true
}

# All the program's visible windows.
all_windows() { windows '.*'; }

# Waits for a visible window of the program with this title that is none of `known`, and
# prints its id.
wait_window() { # title-regex [known ids...]
    local title=$1
    shift
    local known=" $* " found=
    local tries=$((TIMEOUT * 10))
    while ((tries-- > 0)); do
        app_alive || fail "the program ended while a window \"$title\" was awaited"
        for id in $(windows "$title"); do
            case $known in *" $id "*) ;; *) found=$id ;; esac
        done
        if [ -n "$found" ]; then
            echo "$found"
            return 0
        fi
        sleep 0.1
    done
    fail "no window \"$title\" appeared; the windows: $(for w in $(all_windows); do printf '"%s" ' "$(xdotool getwindowname "$w")"; done)"
}

shown() { # id
    xwininfo -id "$1" 2>/dev/null | grep 'Map State: IsViewable' >/dev/null
}

wait_gone() { # id what
    local gone_id=$1
    poll "$TIMEOUT" '! shown "$gone_id"' || fail "$2 did not go away"
}

# The window's outer bounds, frame included, as "x y width height": what the program
# stores and restores, and what the window manager draws.
frame_of() { # id
    local info ax ay w h l r t b
    info=$(xwininfo -id "$1") || return 1
    ax=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    ay=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    w=$(awk '/^ *Width:/ {print $2}' <<<"$info")
    h=$(awk '/^ *Height:/ {print $2}' <<<"$info")
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//; s/,//gp')
    echo "$((ax - ${l:-0})) $((ay - ${t:-0})) $((w + ${l:-0} + ${r:-0})) $((h + ${t:-0} + ${b:-0}))"
}

# The number of colours in the window's own area: a window that the program has not painted
# yet is one flat colour.
colours_of() { # id
    xwd -id "$1" -silent 2>/dev/null | xwdtopnm 2>/dev/null | ppmhist -noheader 2>/dev/null | wc -l
}

wait_painted() { # id what [minimum colours]
    local painted_id=$1 least=${3:-3}
    poll "$TIMEOUT" '[ "$(colours_of "$painted_id")" -ge "$least" ]' || fail "$2 was not painted"
}

# The picture over a rectangle of the screen, as a PPM: the screen itself, for the window
# manager's frames, with each window's own contents laid over it, in the order given. Under
# Xvfb the screen does not always show what a window holds (the plain message boxes come out
# black on it, though the window itself holds its text), and the photographs are to show
# what the program drew.
grab() { # x y w h ids...
    local gx=$1 gy=$2 gw=$3 gh=$4
    shift 4
    xwd -root -silent | xwdtopnm 2>/dev/null | pnmcut "$gx" "$gy" "$gw" "$gh" >"$WORK/grab.ppm"
    local id ax ay
    for id in "$@"; do
        read -r ax ay < <(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
        xwd -id "$id" -silent | xwdtopnm 2>/dev/null >"$WORK/window.ppm"
        pnmpaste "$WORK/window.ppm" $((ax - gx)) $((ay - gy)) "$WORK/grab.ppm" >"$WORK/grab2.ppm" 2>/dev/null &&
            mv "$WORK/grab2.ppm" "$WORK/grab.ppm"
    done
    cat "$WORK/grab.ppm"
}

# A photograph of the screen around these windows (their frames), as a PNG in SHOTS, taken
# once the picture has settled: the pointer is moved out of the way, so no button is shown
# under it, and two looks a moment apart must agree.
shoot() { # name ids...
    local name=$1
    shift
    local x0=100000 y0=100000 x1=0 y1=0 x y w h
    for id in "$@"; do
        read -r x y w h < <(frame_of "$id")
        ((x < x0)) && x0=$x
        ((y < y0)) && y0=$y
        ((x + w > x1)) && x1=$((x + w))
        ((y + h > y1)) && y1=$((y + h))
    done
    ((x0 < 0)) && x0=0
    ((y0 < 0)) && y0=0
    ((x1 > 1024)) && x1=1024
    ((y1 > 768)) && y1=768
    xdotool mousemove 1023 767
    local args="$x0 $y0 $((x1 - x0)) $((y1 - y0)) $*" now=
    # shellcheck disable=SC2086
    poll "$TIMEOUT" 'now=$(grab $args | md5sum); sleep 0.2; [ "$now" = "$(grab $args | md5sum)" ]' ||
        fail "the picture of $name did not settle"
    # shellcheck disable=SC2086
    grab $args | pnmtopng >"$SHOTS/$name.png" 2>/dev/null || fail "could not photograph $name"
    say "screenshot $SHOTS/$name.png"
}

# Makes the window the active one, as a click on it would, so that keys go to it.
activate() { # id
    local active_id=$1
    xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
    poll "$TIMEOUT" '[ "$(xdotool getactivewindow 2>/dev/null)" = "$active_id" ]' ||
        fail "could not bring window $1 ($(xdotool getwindowname "$1")) to the front"
}

# A click at a point of the window's own area (its top left corner is 0 0).
click() { # id x y
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

# Presses the left button at a point of the screen and moves by dx dy in ten steps, at a
# hand's pace, so that the window manager sees a drag, then lets go.
drag() { # x y dx dy
    xdotool mousemove "$1" "$2" mousedown 1
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        xdotool mousemove_relative -- $(($3 / 10)) $(($4 / 10))
        sleep 0.05
    done
    xdotool mousemove "$(($1 + $3))" "$(($2 + $4))" mouseup 1
}

keys() { # id keys...
    local id=$1
    shift
    activate "$id"
    xdotool key --delay 30 "$@"
}

# Answers a question box with a key, as a person does: reads it first (a second, longer
# than the file service's progress display waits before it appears), then clicks its title
# bar to bring it to the front, should another of the program's windows have come up over
# it, and presses the key.
answer() { # id key what
    local answer_id=$1 tries=0
    sleep 1
    while shown "$1" && ((tries++ < 3)); do
        local x y w h
        read -r x y w h < <(frame_of "$1")
        xdotool mousemove $((x + w / 2)) $((y + 8)) click 1
        if poll 5 '[ "$(xdotool getactivewindow 2>/dev/null)" = "$answer_id" ]'; then
            xdotool key "$2"
            poll 5 '! shown "$answer_id"' && return 0
        fi
    done
    shown "$1" || return 0
    local front
    front=$(xdotool getactivewindow 2>/dev/null)
    fail "$3 cannot be answered: a click on it and the key $2 do nothing; in front of it: \"$(xdotool getwindowname "$front" 2>/dev/null)\""
}

# Types a full path into the file-name field of Qt's own file dialog, which has the focus
# when the dialog opens, and accepts it with Return. The field completes names as one
# types; a Return that only closed the completion list is followed by another.
enter_path() { # dialog-id path
    local dialog_id=$1 returns=0
    activate "$1"
    xdotool key ctrl+a
    xdotool type --delay 10 "$2"
    while shown "$1" && ((returns++ < 3)); do
        xdotool key Return
        poll 5 '! shown "$dialog_id"' && break
    done
    wait_gone "$1" "the file dialog"
}
