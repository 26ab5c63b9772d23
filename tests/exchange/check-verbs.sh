#!/usr/bin/env bash
# The command line's output and exit status, with no display and no platform named (a platform
# plugin would fail them): --help, --version, each verb; bad input writes nothing.
bin=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM QT_DEBUG_PLUGINS=1 "$1")
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
cd "$work" && "$2" demo.nes && cp demo.nes orig.nes || exit 1
fail() { echo "FAIL: $*"; exit 1; }
expect() { # STATUS STDOUT-REGEX STDERR-REGEX ARGS...
    local status=$1 out=$2 err=$3 got
    shift 3
    "${bin[@]}" "$@" >out.txt 2>err.txt; got=$?
    [[ $got -eq $status && $(<out.txt) =~ $out && $(<err.txt) =~ $err &&
        ! $(<err.txt) =~ platforms ]] || fail "$* exited $got:"$'\n'"$(cat out.txt err.txt)"
}
expect 0 '^corvantis-spell-editor 1\.6'$'\n' '^$' --version
expect 0 '^Usage:.*image' '^$' --help
expect 2 '^$' 'Unknown option.*Try' --no-such-option
expect 2 '^$' 'one image at most.*Try' a.nes b.nes
expect 0 $'\n   8  LAMP   LAMP  FF 08 00 10 08 B0 2C  FF Non-combat       Cure Blind        No Elemental   One Ally       Positive Effect     Bar of Light    Whitish\n' '^$' --list demo.nes
expect 0 '"format": "corvantis-spells".*"slot": 63' '^$' --export - demo.nes
expect 0 '^$' '^$' --export spells.csv demo.nes
expect 0 '^$' '^$' --export $'x\xff.csv' demo.nes
cmp -s $'x\xff.csv' spells.csv || fail "a name that is not UTF-8 was changed"
"${bin[@]}" --export - demo.nes >/dev/full 2>/dev/null && fail "writing to a full disk succeeded"
echo '{"format": "other"}' >bad.json
expect 1 '^$' 'bad.json: format: "other" is not "corvantis-spells"' --import bad.json demo.nes
echo '{"format": "corvantis-spells", "version": 1, "spells": [
      {"slot": 4, "elemental": 32}, {"slot": 8, "effect": 9}]}' >in.json
expect 1 '^$' 'special slots .*: 8 LAMP; nothing was written.*--force' --import in.json demo.nes
cmp -s demo.nes orig.nes || fail "a refused import changed the image"
expect 0 $'in demo.nes:\n 4 FIRE  record\n 8 LAMP  record$' '^$' --import in.json demo.nes --force
expect 0 '"slot": 4,[^}]*"elemental": 32,' '^$' --export - demo.nes
# --output: the imported image as a new file, the image left as it was; never over the image.
expect 0 $'in new.nes:\n 4 FIRE  record' '^$' --import in.json orig.nes --force --output new.nes
cmp -s new.nes demo.nes && ! cmp -s orig.nes demo.nes || fail "--output wrote the wrong image"
expect 1 '^$' 'is the open image' --import in.json orig.nes --force --output orig.nes
# A comparison: 0 none differ, 1 some do (both values in the cell), 2 trouble.
expect 1 $'\n   4  FIRE .*Ice → Fire' '^corvantis-spell-editor: 2 of 64 spells differ from orig.nes$' --compare orig.nes demo.nes
expect 0 '^$' '0 of 64 spells differ from demo.nes' --compare demo.nes demo.nes
expect 2 '^$' 'no.ips: cannot read it' --compare no.ips demo.nes
echo '{"format": "corvantis-spells", "version": 1, "spells": [{"slot": 4, "elemental": 16}]}' |
    "${bin[@]}" --import - demo.nes | grep -q '^ 4 FIRE  record$' || fail "--import - read nothing"
expect 0 '^Wrote p.bps, a patch from orig.nes to demo.nes.$' '' --create-patch orig.nes --output p.bps demo.nes
expect 0 '^Wrote p.ips' '' --create-patch orig.nes --output p.ips demo.nes
[[ $(head -c5 p.ips) == PATCH && $(head -c4 p.bps) == BPS1 && $(wc -l <spells.csv) == 65 ]] ||
    fail "a file in the wrong format"
expect 1 '^$' 'cannot read no.nes: No such file' --list no.nes
expect 2 '^$' 'one image.*Try' --list demo.nes orig.nes
expect 2 '^$' 'p.txt: a patch file ends in .ips or .bps.*Try' --create-patch orig.nes --output p.txt demo.nes
# Only regular files are written or read, and an existing one stays the file it was.
mkfifo pipe.json && truncate -s 70M big.nes && ln demo.nes twin.nes && chmod 4755 demo.nes &&
    echo '{"format": "corvantis-spells", "version": 1, "spells": [{"slot": 6, "elemental": 32}]}' \
        >one.json || exit 1
expect 1 '^$' 'pipe.json: pipe.json is not a regular file.' --export pipe.json demo.nes
expect 1 '^$' 'larger than any Corvantis image \(73400320 bytes\)' --list big.nes
expect 0 'Changed 1 of 64' '^$' --import one.json demo.nes
[[ -p pipe.json && $(stat -c %a%h demo.nes) == 47552 ]] && cmp -s demo.nes twin.nes ||
    fail "a file was replaced"
# An interrupted save (its journal as a stopped save leaves it) stops a verb that writes and is
# named by one that reads.
cache=$work/cache/corvantis-spell-editor copy=demo.nes.0-0.stopped0.backup
mkdir -p "$cache" && cp orig.nes "$cache/$copy" && printf '%s\n' \
    'corvantis-spell-editor interrupted save' "path $(realpath demo.nes)" "device $(stat -c %d demo.nes)" \
    "inode $(stat -c %i demo.nes)" "backup $copy" end >"${cache}/${copy%.backup}.journal"
export XDG_CACHE_HOME=$work/cache
expect 1 '^$' "interrupted.*$cache/$copy" --import one.json demo.nes
expect 0 '  8  LAMP' "interrupted.*$cache/$copy" --list demo.nes
