#!/usr/bin/env bash
# End to end: Japanese typed through a real input method reaches the file.
# Runs the real program on a private X display with its own session bus and
# IBus daemon (engine Anthy): types romaji, converts with Space, checks where
# the editor tells the input method its caret is (the candidate window goes
# there), commits with Return, commits a pending pre-edit with a click, saves
# with Ctrl+S and checks the file.
# IBus's own panel, which draws the candidate window, is left out: under load
# it sometimes dies drawing the list. QUILLO_E2E_PANEL=1 runs it and then
# also checks that the window is at the caret. QUILLO_E2E_SHOTS=DIR leaves
# screenshots of the pre-edit, the conversion and the committed text in DIR
# (needs ImageMagick).
set -euo pipefail
quillo=$1
skip() {
    echo "SKIP: $*"
    exit 77
}
for tool in dbus-daemon dbus-monitor ibus-daemon ibus gsettings gdbus xdotool; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -x /usr/libexec/ibus-engine-anthy ] || skip "the Anthy engine for IBus is not installed"
ls /usr/lib/*/qt6/plugins/platforminputcontexts/libibusplatforminputcontextplugin.so \
    >/dev/null 2>&1 || skip "Qt's IBus input context plugin is not installed"

work=$(mktemp -d /tmp/quillo-ime-XXXXXX)
# Anthy keeps what it learns in ~/.anthy: a fresh one converts the same way each run.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export XDG_CACHE_HOME=$work/cache XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# The engine is a Python program: it needs the system's python3 (with gi),
# not one that a version manager puts first on the PATH.
export PATH=/usr/bin:/bin:$PATH
export QT_QPA_PLATFORM=xcb QT_IM_MODULE=ibus
unset IBUS_ADDRESS IBUS_ADDRESS_FILE IBUS_USE_PORTAL WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
# Every process started from here on (the bus, the daemon, its engines and
# panel, the editor) carries this mark, and the cleanup ends exactly those.
export QUILLO_IME_RUN=$work
shots=${QUILLO_E2E_SHOTS:-}
panel=${QUILLO_E2E_PANEL:-}

cleanup() {
    set +e
    [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] && timeout 5 ibus exit >/dev/null 2>&1
    # This shell's own jobs first, quietly, then whatever they started.
    jobs=$(jobs -p)
    [ -z "$jobs" ] || { kill -9 $jobs && wait; } 2>/dev/null
    for environ in /proc/[0-9]*/environ; do
        pid=${environ#/proc/}
        pid=${pid%/environ}
        [ "$pid" = $$ ] && continue
        grep -qxzF "QUILLO_IME_RUN=$work" "$environ" 2>/dev/null && kill -9 "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    shot failure
    for log in ibus.log quillo.log; do
        [ -s "$work/$log" ] && { echo "--- $log"; tail -20 "$work/$log"; }
    done
    exit 1
}

# Polls a command for up to $1 seconds.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# A key held past the repeat delay by a busy machine would type twice.
command -v xset >/dev/null && xset r off

shot() { [ -z "$shots" ] || { mkdir -p "$shots" && import -window root "$shots/$1.png"; }; }

dbus-daemon --session --fork --print-address=3 3>"$work/bus"
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
export DBUS_SESSION_BUS_ADDRESS

# Anthy starts in Latin mode unless told otherwise, and reads this once, when
# its process starts. The panel switches to the first preloaded engine.
gsettings set org.freedesktop.ibus.engine.anthy.common input-mode 0
gsettings set org.freedesktop.ibus.general preload-engines "['anthy']"
[ "$(gsettings get org.freedesktop.ibus.engine.anthy.common input-mode)" = 0 ] ||
    fail "the input mode setting did not stick"

if [ -n "$panel" ]; then
    ibus-daemon --replace --cache=refresh >"$work/ibus.log" 2>&1 &
    panel_up() {
        gdbus call --address "$(ibus address)" --dest org.freedesktop.DBus \
            --object-path /org/freedesktop/DBus --method org.freedesktop.DBus.NameHasOwner \
            org.freedesktop.IBus.Panel | grep -q true
    }
    wait_until 20 panel_up || fail "the IBus panel did not come up"
else
    ibus-daemon --replace --cache=refresh --panel=disable >"$work/ibus.log" 2>&1 &
fi
# "ibus engine NAME" fails even when it switches: ask what the engine is.
engine_is_anthy() {
    ibus engine anthy >/dev/null 2>&1
    [ "$(ibus engine 2>/dev/null)" = anthy ]
}
wait_until 20 engine_is_anthy || {
    ibus list-engine 2>/dev/null | grep -q anthy || fail "IBus lists no Anthy engine"
    fail "IBus did not switch to Anthy"
}

# Keys reach Anthy once the daemon has made an engine for the editor's input
# context and focused it; before that they would pass through as romaji. The
# monitor listens once it has seen the call "ibus engine" makes.
dbus-monitor --address "$(ibus address)" \
    "type='method_call',interface='org.freedesktop.IBus.Engine',member='FocusIn'" \
    "type='method_call',interface='org.freedesktop.DBus.Properties',path='/org/freedesktop/IBus'" \
    "type='method_call',interface='org.freedesktop.IBus.InputContext',member='SetCursorLocation'" \
    "type='signal',interface='org.freedesktop.IBus.InputContext',member='UpdatePreeditText'" \
    >"$work/monitor.log" 2>&1 &
monitor_listens() {
    ibus engine
    grep -q '"GlobalEngine"' "$work/monitor.log"
}
wait_until 10 monitor_listens || fail "dbus-monitor does not see the daemon's calls"
anthy_focused() { grep -q 'path=/com/redhat/IBus/engines/Anthy/Engine/' "$work/monitor.log"; }
# The caret rectangle the editor last gave the input method, on the screen:
# sets x, y, w and h.
last_location() {
    read -r x y w h < <(awk '/member=SetCursorLocation/ { n = 0; v = ""; next }
        /^ *int32 / { v = v " " $2; if (++n == 4) last = v }
        END { print last }' "$work/monitor.log")
    [ -n "${h:-}" ]
}
# True when the input method's last pre-edit is $1 and the editor has since
# told it where its caret is, that is, has shown it.
composing() {
    awk -v want="$1" '/member=UpdatePreeditText/ { text = ""; n = 0; shown = 0; next }
        /member=SetCursorLocation/ { shown = 1; next }
        /^ *string "/ { if (++n == 2) { text = $0; sub(/^ *string "/, "", text); sub(/"$/, "", text) } }
        END { exit !(text == want && shown) }' "$work/monitor.log"
}
# True when that rectangle is one line high, on the line clicked, $1 to $2
# pixels right of the point clicked.
located() {
    last_location || return 1
    local dx=$((x - wx - cx)) bottom=$((y + h - wy - cy))
    [ "$dx" -ge "$1" ] && [ "$dx" -le "$2" ] && [ "$h" -ge 8 ] && [ "$h" -le 40 ] &&
        [ "$bottom" -gt 0 ] && [ "$bottom" -le "$h" ]
}

# UTF-8 with its mark and CR LF breaks, which the editor keeps when it saves.
doc=$work/doc.txt
{
    printf '\xef\xbb\xbf'
    for i in 1 2 3 4 5 6 7 8; do printf 'いろはにほへと %d 0123456789 abcdefghij\r\n' "$i"; done
} >"$doc"
original=$(cat "$doc" && printf x)
original=${original%x}

"$quillo" "$doc" >"$work/quillo.log" 2>&1 &
title="doc.txt - quillo"
wait_until 15 xdotool search --onlyvisible --name "$title" || fail "no window named '$title'"
# A file on the command line brings the splash screen, whose closing moves
# the focus: type once it has gone.
splash="バージョン情報"
splash_gone() { ! xdotool search --onlyvisible --name "$splash"; }
wait_until 3 xdotool search --onlyvisible --name "$splash" || true
wait_until 15 splash_gone || fail "the splash screen stays"
win=$(xdotool search --onlyvisible --name "$title" | head -1)
eval "$(xdotool getwindowgeometry --shell "$win")"
wx=$X wy=$Y

# Without a window manager the keyboard follows the pointer; the click on a
# point in the text (below the ruler, right of the line numbers) focuses the
# view and puts the caret there.
cx=150 cy=110
ready=
for _ in 1 2 3 4 5; do
    xdotool mousemove --window "$win" "$cx" "$cy" click 1
    wait_until 3 anthy_focused && {
        ready=1
        break
    }
done
[ -n "$ready" ] || fail "Anthy never got the editor's input focus"

xdotool type --delay 30 nihongo
# Four wide characters are being composed: the caret stands after them.
wait_until 10 composing にほんご || fail "the pre-edit never was にほんご"
wait_until 10 located 40 90 || fail "caret rectangle ${x:-?},${y:-?} ${w:-?}x${h:-?} is not" \
    "after the pre-edit right of $((wx + cx)),$((wy + cy))"
echo "clicked at $((wx + cx)),$((wy + cy)); caret rectangle in the pre-edit: $x,$y ${w}x$h"
shot preedit
# Space converts; the caret goes back to the start of the converted text,
# which the click put within a character of the point clicked.
xdotool key space
wait_until 10 composing 日本語 || fail "no conversion to 日本語"
wait_until 10 located -16 16 || fail "caret rectangle ${x:-?},${y:-?} ${w:-?}x${h:-?} is not" \
    "at the converted text at $((wx + cx)),$((wy + cy))"
echo "caret rectangle while converting: $x,$y ${w}x$h"
if [ -n "$panel" ]; then
    # A second Space opens the candidate list, Up goes back to the first.
    xdotool key space
    candidate_at_caret() {
        local w
        for w in $(xdotool search --onlyvisible --class ibus-ui-gtk3); do
            eval "$(xdotool getwindowgeometry --shell "$w")"
            dx=$((X - wx - cx)) dy=$((Y - wy - cy))
            [ "$HEIGHT" -gt 20 ] && [ "${dx#-}" -le 16 ] && [ "$dy" -gt 0 ] && [ "$dy" -le 40 ] &&
                return 0
        done
        return 1
    }
    wait_until 15 candidate_at_caret ||
        fail "no candidate window under the caret near $((wx + cx)),$((wy + cy))"
    shot candidates
    xdotool key Up
else
    shot converted
fi
# Commit the first candidate, then a word as typed.
xdotool key Return
xdotool type --delay 30 kana
xdotool key Return
# A click elsewhere commits what is still being composed.
xdotool type --delay 30 tesuto
# Mouse events do not wait for keys on their way through the input method.
wait_until 10 composing てすと || fail "the pre-edit never was てすと"
xdotool mousemove --window "$win" "$((cx + 60))" "$((cy + 40))" click 1
xdotool key ctrl+End
xdotool type --delay 30 owari
xdotool key Return
shot committed
xdotool key ctrl+s

saved_differs() { ! cmp -s "$doc" <(printf '%s' "$original"); }
wait_until 10 saved_differs || fail "nothing was saved"
saved=$(cat "$doc" && printf x)
saved=${saved%x}
inserted=日本語かなてすと
[[ $saved == *おわり ]] || fail "no 'おわり' at the end: $(tail -c 60 "$doc")"
body=${saved%おわり}
[[ $body == *"$inserted"* ]] || fail "no '$inserted' in the file: $(head -5 "$doc")"
[ "${body/"$inserted"/}" = "$original" ] ||
    fail "the file is not the text with '$inserted' typed into it: $(head -5 "$doc")"
echo "typed through IBus and Anthy: $(grep -o "[^ ]*$inserted" "$doc") ... おわり"
