#!/usr/bin/env bash
# The real editor on a real X server, driven by keys: a First Byte value typed but not confirmed
# counts when the close box is used (the unsaved question comes; No keeps the window), and Save
# (Ctrl+S) then writes exactly that byte. usage: e2e.sh EDITOR MAKE-DEMO CLOSER
set -euo pipefail
editor=$1 maker=$2 closer=$3
command -v xdotool >/dev/null || { echo "SKIP: no xdotool (scripts/install-deps)"; exit 77; }
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config # what the editor remembers stays here
pid=
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*; windows: $(xdotool search --name . getwindowname %@ 2>&1 | sort -u | tr '\n' ',')" >&2
    cat "$work/log" >&2
    exit 1
}
until_ok() {
    for _ in $(seq 400); do "$@" && return 0; sleep 0.05; done
    fail "timed out: $*"
}
windows() { xdotool search --onlyvisible --name '^Corvantis Spell Editor$' 2>/dev/null || true; }
focus() { xdotool windowfocus "$1" 2>/dev/null && [ "$(xdotool getwindowfocus)" = "$1" ] && sleep 0.5; }
shown() { [ -n "$(windows)" ]; }
other() { q=$(windows | grep -vx "$main" | head -n1); [ -n "$q" ]; }
gone() { ! windows | grep -qx "$q"; }
keys() { xdotool key --delay 40 "$@"; }
# Waits for the question, answers it with keys, and waits until the main window has the focus again.
answer() { until_ok other; until_ok focus "$q"; keys "$@"; until_ok gone; until_ok focus "$main"; }

"$maker" "$work/a.nes" >/dev/null
cp "$work/a.nes" "$work/original.nes"
"$editor" "$work/a.nes" >"$work/log" 2>&1 &
pid=$!
until_ok shown
main=$(windows)
# Docks group the window with its launcher by the X class the desktop entry names.
class=$(sed -n 's/^StartupWMClass=//p' "$(dirname "$0")/../../resources/io.github.corvantis.SpellEditor.desktop")
xprop -id "$main" WM_CLASS | grep -qE ", \"$class\"\$" || fail "$(xprop -id "$main" WM_CLASS), not class $class"
until_ok focus "$main"
# Shift+Tab from the selector reaches First Byte, the last field.
keys shift+Tab ctrl+a
xdotool type --delay 40 "20"
sleep 0.5
"$closer" "$main"
answer alt+n
kill -0 "$pid" || fail "the editor ended after No"
keys ctrl+s
answer Return
keys ctrl+q
wait "$pid" || fail "the editor exited $?"
pid=
# Only byte 1 of slot 0 (0x301F0; cmp counts from 1) differs: 00 -> 20.
[ "$(cmp -l "$work/original.nes" "$work/a.nes" || true)" = "197105   0  40" ] ||
    fail "unexpected changes: $(cmp -l "$work/original.nes" "$work/a.nes" | head)"
echo "e2e: passed"
