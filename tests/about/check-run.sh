#!/usr/bin/env bash
# scripts/run, on a copy of it beside stand-ins for install-deps, cmake and the built programs: it
# says at once when there is no display, before installing anything; it installs the run set,
# builds only the editor and the demo image's tool, and prints nothing of a build that worked; a
# relative image path counts from the caller's folder; without one the demo image opens; a failed
# build shows its output and starts nothing. Usage: check-run.sh SCRIPTS_RUN
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
mkdir -p "$work/repo/scripts" "$work/repo/build/tools" "$work/bin" "$work/here"
cp "$1" "$work/repo/scripts/run"
stand_in() { printf '#!/bin/sh\n%s\n' "$2" >"$1" && chmod +x "$1"; }
stand_in "$work/repo/scripts/install-deps" "echo \"install-deps \$*\" >>$work/calls"
stand_in "$work/bin/cmake" "echo \"cmake \$*\" >>$work/calls; [ -z \"\$BREAK\" ] || { echo \"error: \$BREAK\"; exit 1; }"
stand_in "$work/repo/build/corvantis-spell-editor" 'echo "editor in $PWD: $*"'
stand_in "$work/repo/build/tools/corvantis-make-demo" ': >"$1"'
status=0
fail() { echo "FAIL: $*"; status=1; }
run() { (cd "$work/here" && env PATH="$work/bin:$PATH" "$@" "$work/repo/scripts/run" "${args[@]}") >"$work/out" 2>&1; }

args=(x.nes)
run env -u DISPLAY -u WAYLAND_DISPLAY && fail "started without a display"
grep -q 'no display' "$work/out" && [ ! -e "$work/calls" ] || fail "no display: $(cat "$work/out" "$work/calls")"
args=(x.nes)
run env DISPLAY=:9 || fail "a start failed: $(cat "$work/out")"
[ "$(cat "$work/out")" = "editor in $work/here: x.nes" ] || fail "x.nes: $(cat "$work/out")"
[ "$(head -n1 "$work/calls")" = "install-deps run" ] &&
    grep -qx "cmake --build $work/repo/build -j2 --target corvantis-spell-editor corvantis-make-demo" "$work/calls" ||
    fail "installed or built: $(cat "$work/calls")"
args=()
run env DISPLAY=:9 && [ "$(cat "$work/out")" = "editor in $work/here: $work/repo/build/demo.nes" ] &&
    [ -e "$work/repo/build/demo.nes" ] || fail "no image named: $(cat "$work/out")"
run env DISPLAY=:9 BREAK=boom && fail "started after a failed build"
grep -q 'error: boom' "$work/out" && ! grep -q editor "$work/out" || fail "failed build: $(cat "$work/out")"
exit $status
