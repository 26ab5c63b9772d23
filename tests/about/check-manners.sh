#!/usr/bin/env bash
# The program's manners on a terminal, with no display: --help-all answers as --help does, with
# the toolkit's options; the window without a display says so in one line (exit 1), while
# -platform offscreen still opens it; a wrong command says what is wrong and where the usage is, in
# two lines (exit 2); --version names the copyright and the licence; --help, --help-all and
# --version fail when their output cannot be written. Usage: check-manners.sh PROGRAM MAKE-DEMO
bin=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1")
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
cd "$work" && "$2" demo.nes || exit 1
status=0
fail() { echo "FAIL: $*"; status=1; }
# STATUS ARGUMENTS...: runs the program; its output is in out and err.
run() {
    local want=$1
    shift
    "${bin[@]}" "$@" >out 2>err
    local got=$?
    [ $got -eq "$want" ] || fail "$* exited $got, not $want: $(cat out err)"
}

run 0 --help-all
grep -q -- '--platform <name>' out && grep -q -- '--list' out && [ ! -s err ] || fail "--help-all: $(cat out err)"
run 0 --version
[ "$(sed -n 2p out)" = "Copyright (C) 2026 The Corvantis Spell Editor authors" ] &&
    grep -q '^License GPL-3.0-or-later' out || fail "--version: $(cat out)"
for option in --help --help-all --version; do
    "${bin[@]}" $option >/dev/full 2>err
    [ $? -eq 1 ] && grep -q '^corvantis-spell-editor: cannot write to standard output' err ||
        fail "$option into a full disk: $(cat err)"
done
try="Try 'corvantis-spell-editor --help' for more information."
for wrong in --no-such-option "a.nes b.nes" "--list demo.nes demo.nes" "--force demo.nes"; do
    run 2 $wrong
    [[ ! -s out && $(wc -l <err) -eq 2 && $(head -n1 err) == "corvantis-spell-editor: "?* &&
        $(tail -n1 err) == "$try" ]] || fail "$wrong: $(cat err)"
done
for start in demo.nes "-style fusion demo.nes"; do
    run 1 $start
    [ "$(cat err)" = "corvantis-spell-editor: no display to open a window on (DISPLAY is not set); the command-line verbs work without one (see --help)." ] ||
        fail "$start without a display: $(cat err)"
done
# Offscreen, the window opens and waits for the user until it is stopped.
timeout 3 "${bin[@]}" -platform offscreen demo.nes >out 2>&1
[ $? -eq 124 ] || fail "-platform offscreen: $(cat out)"
timeout 3 env -u DISPLAY QT_QPA_PLATFORM=offscreen "$1" demo.nes >out 2>&1
[ $? -eq 124 ] || fail "QT_QPA_PLATFORM=offscreen: $(cat out)"
exit $status
