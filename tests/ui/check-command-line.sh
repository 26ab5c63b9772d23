#!/usr/bin/env bash
# The command line: --help and --version answer and exit; anything more than
# one image, or an unknown option, is a usage error with status 2.
set -u
# No display at all: answering the command line must not need one.
bin=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1")
fail() { echo "FAIL: $*"; exit 1; }

out=$("${bin[@]}" --version 2>&1) || fail "--version exited $?"
[[ $out == *"1.5"* ]] || fail "--version printed: $out"

out=$("${bin[@]}" --help 2>&1) || fail "--help exited $?"
[[ $out == *"Usage:"* && $out == *"image"* ]] || fail "--help printed: $out"

for args in "--no-such-option" "a.nes b.nes"; do
    # shellcheck disable=SC2086
    err=$("${bin[@]}" $args 2>&1 >/dev/null)
    status=$?
    [ "$status" -eq 2 ] || fail "'$args' exited $status, not 2"
    [[ $err == *"Usage:"* ]] || fail "'$args' printed no usage: $err"
done
echo "command line: 4 passed, 0 failed"
