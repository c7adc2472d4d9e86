#!/usr/bin/env bash
# End to end: a killed editor's text comes back at the next start.
# Runs the real program on a private X display: types into it, waits for the
# backup, kills it with SIGKILL, starts it again, answers Yes to the recovery
# question and checks the recovered window (its caption, and the backup it
# writes of the recovered, still modified text).
set -euo pipefail
quillo=$1
work=$(mktemp -d /tmp/quillo-e2e-XXXXXX)
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
export QUILLO_TEST_BACKUP_INTERVAL_MS=1000 QT_QPA_PLATFORM=xcb
backup=$XDG_DATA_HOME/Orvane/quillo/BackupFile1.lftmp
pids=()
cleanup() { for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT

# Waits for a file to hold the UTF-16LE text (with its mark).
wait_for_text() {
    { printf '\xff\xfe'; printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE; } > "$work/want"
    for _ in $(seq 1 100); do
        if [ -f "$2" ] && cmp -s "$2" "$work/want"; then return 0; fi
        sleep 0.2
    done
    echo "no backup with '$1' in $2"; [ -f "$2" ] && od -c "$2" | head; return 1
}

wait_for_window() {
    for _ in $(seq 1 50); do
        xdotool search --name "$1" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    echo "no window named '$1'"; xdotool search --name quillo getwindowname %@ 2>/dev/null || true
    return 1
}

"$quillo" -q &
pids+=($!)
wait_for_window "名称未設定 - quillo"
win=$(xdotool search --onlyvisible --name "名称未設定 - quillo" | head -1)
sleep 1 # the window takes input once it has been shown
xdotool mousemove --window "$win" 400 250 click 1
xdotool type --delay 20 "lost work"
wait_for_text "lost work" "$backup"
kill -9 "${pids[0]}"; wait "${pids[0]}" 2>/dev/null || true
first_backup=$(stat -c %i "$backup")

# The next start without arguments offers the backup; Enter answers Yes.
"$quillo" &
pids+=($!)
sleep 2
for _ in $(seq 1 25); do
    dialog=$(xdotool search --onlyvisible --name "確認" 2>/dev/null | head -1 || true)
    [ -n "$dialog" ] && break
    sleep 0.2
done
[ -n "$dialog" ] || { echo "no recovery question"; exit 1; }
# Without a window manager the keyboard follows the pointer.
xdotool mousemove --window "$dialog" 20 20
xdotool key Return
wait_for_window "名称未設定 - quillo"
# Still modified: the recovered text is backed up again by the new window.
for _ in $(seq 1 100); do
    [ "$(stat -c %i "$backup" 2>/dev/null || echo 0)" != "$first_backup" ] && break
    sleep 0.2
done
[ "$(stat -c %i "$backup")" != "$first_backup" ] || { echo "the recovered text was not backed up"; exit 1; }
wait_for_text "lost work" "$backup"
echo "recovered"
