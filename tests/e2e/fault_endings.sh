#!/usr/bin/env bash
# End to end: the ways the real program ends without its window closing keep
# the text typed since the last backup.  For SIGTERM, SIGHUP, SIGINT and the
# display connection lost (the X server killed): a file is opened and typed
# into, the program is ended so, its backup must hold the exact text, and the
# next start with the same file (as a double-click starts it) offers the
# backup; Yes and Ctrl+S must leave exactly that text in the file.
# Runs its own X servers (the display case kills one).
set -euo pipefail
quillo=$1
work=$(mktemp -d /tmp/quillo-fault-XXXXXX)
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
export QT_QPA_PLATFORM=xcb
# The minute's backup never comes in time: only the ending may write it.
export QUILLO_TEST_BACKUP_INTERVAL_MS=600000
backup=$XDG_DATA_HOME/Orvane/quillo/BackupFile1.lftmp
doc=$work/doc.txt
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

start_display() {
    rm -f "$work/display"
    Xvfb -displayfd 5 -screen 0 1280x800x24 -nolisten tcp 5>"$work/display" >/dev/null 2>&1 &
    xvfb=$!
    pids+=("$xvfb")
    for _ in $(seq 1 50); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(cat "$work/display")"
}

wait_for_window() {
    for _ in $(seq 1 50); do
        win=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
        [ -n "$win" ] && return 0
        sleep 0.2
    done
    echo "no window named '$1'"
    return 1
}

# Starts the program on the file, signals restored to their defaults (a
# script's background jobs ignore SIGINT).
start_quillo() {
    env --default-signal=INT,HUP,TERM "$quillo" "$doc" &
    quillo_pid=$!
    pids+=("$quillo_pid")
    wait_for_window "doc.txt - quillo"
    sleep 1 # the window takes input once it has been shown
}

# Answers Yes (Enter) to the question in the window "確認".
answer_question() {
    local dialog=""
    for _ in $(seq 1 50); do
        dialog=$(xdotool search --onlyvisible --name "確認" 2>/dev/null | head -1 || true)
        [ -n "$dialog" ] && break
        sleep 0.2
    done
    [ -n "$dialog" ] || return 1
    xdotool mousemove --window "$dialog" 20 20
    xdotool key Return
}

# Without a window manager the keyboard follows the pointer.
type_into() {
    xdotool mousemove --window "$1" 12 40
    xdotool type --delay 20 "$2"
}

utf16() { { printf '\xff\xfe'; printf '%b' "$1" | iconv -f UTF-8 -t UTF-16LE; }; }

check_case() {
    local cause=$1 expected_rc=$2
    rm -rf "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    printf 'first line\r\n' >"$doc"
    start_display
    start_quillo
    local typed="kept on $cause "
    type_into "$win" "$typed"
    sleep 0.5
    local t0 rc=0
    t0=$(date +%s%N)
    case $cause in
    display) kill -9 "$xvfb" ;;
    *) kill -s "$cause" "$quillo_pid" ;;
    esac
    wait "$quillo_pid" || rc=$?
    echo "[fault] $cause: ended with $rc after $((($(date +%s%N) - t0) / 1000000)) ms"
    [ "$rc" = "$expected_rc" ] || { echo "$cause: exit $rc, not $expected_rc"; return 1; }
    utf16 "${typed}first line\r\n" >"$work/want"
    cmp -s "$backup" "$work/want" || {
        echo "$cause: the backup does not hold the text"
        od -c "$backup" | head
        return 1
    }
    [ "$(cat "$doc")" = "$(printf 'first line\r\n')" ] || { echo "$cause: the file changed"; return 1; }
    [ "$cause" = display ] || kill -9 "$xvfb"

    # The next start with the same file offers the backup first.
    start_display
    "$quillo" "$doc" &
    quillo_pid=$!
    pids+=("$quillo_pid")
    answer_question || { echo "$cause: no recovery question"; return 1; }
    wait_for_window "doc.txt - quillo"
    # Closing asks whether to save the recovered text: Yes.
    xdotool mousemove --window "$win" 36 8 click 1 # the File menu
    sleep 0.5
    xdotool key x
    answer_question || { echo "$cause: no question at the close"; return 1; }
    rc=0
    wait "$quillo_pid" || rc=$?
    [ "$rc" = 0 ] || { echo "$cause: the close ended with $rc"; return 1; }
    printf '%s' "${typed}" >"$work/want"
    printf 'first line\r\n' >>"$work/want"
    cmp -s "$doc" "$work/want" || {
        echo "$cause: the recovered text was not saved"
        od -c "$doc" | head
        return 1
    }
    [ ! -e "$backup" ] || { echo "$cause: the close left the backup"; return 1; }
    kill -9 "$xvfb" 2>/dev/null || true
    echo "[fault] $cause: recovered exactly"
}

check_case TERM 143
check_case HUP 129
check_case INT 130
check_case display 1
echo "every ending kept the text"
