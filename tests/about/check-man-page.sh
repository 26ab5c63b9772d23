#!/bin/sh
# The man page renders with nothing from groff, and names this version and every option of --help.
# Usage: check-man-page.sh MAN_PAGE PROGRAM
set -u
status=0
report=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings=w -E UTF-8 -l -Tutf8 -Z "$1" 2>&1 >/dev/null) &&
    [ -z "$report" ] || { printf '%s\n' "$report"; status=1; }
text=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$1")
for word in "Corvantis Spell Editor $("$2" --version | head -n1 | cut -d' ' -f2)" \
    $("$2" --help | grep -oE '^ +-[^ ]+(, -[^ ]+)*' | tr ',' ' '); do
    printf '%s\n' "$text" | grep -qF -- "$word" || { echo "not in the man page: $word"; status=1; }
done
exit $status
