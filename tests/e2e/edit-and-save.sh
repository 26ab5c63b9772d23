#!/usr/bin/env bash
# Started on a writable image: edits of Elemental, the name and the byte-2
# number box are saved, and the file then differs from the original in
# exactly those bytes.
. "$(dirname "$0")/lib.sh"

start_x
image="$work/writable.nes"
"$image_maker" "$image"
cp "$image" "$work/original.nes"

step "start on the image"
start_editor "$image"
main=$(wait_window "$AppTitle")
focus_window "$main"

step "select slot 4 (FIRE)"
# Each Down selects the next slot.
keys Down Down Down Down

step "rename it to Zap"
keys Tab ctrl+a
type_text "Zap"

step "byte 2 (Effect Damage: a number box) := 42"
# txtName, then txtRaw, cbByte4, cbByte5, txtByte2.
keys Tab Tab Tab Tab ctrl+a
type_text "42"

step "Elemental := Fire"
# Type-ahead: F picks the first item starting with F, "Fire".
keys Tab
type_text "F"

step "File > Save, answer Yes"
keys alt+f s
question=$(wait_window "$AppTitle" "$main")
focus_window "$question"
keys Return
wait_window_gone "$question"

step "File > Exit ends the program without a question"
focus_window "$main"
keys alt+f x
expect_exit 0

step "compare with the original"
[ "$(stat -c %s "$image")" = "$(stat -c %s "$work/original.nes")" ] ||
    fail "the image changed its length"
# Every changed byte as "offset old new" in hex, the offset counted from 0.
changes=$(cmp -l "$work/original.nes" "$image" | while read -r at old new; do
    printf '0x%X %02X %02X\n' $((at - 1)) $((8#$old)) $((8#$new))
done || true)
# Slot 4's name record at 0x2BE13 + 5 * 4: "FIRE" becomes "Zap", padded with
# 0xFF; its terminator was 0x00 already. Its record at 0x301F0 + 8 * 4:
# byte 2 becomes 42 and Elemental Fire (0x10).
expected='0x2BE27 8F A3
0x2BE28 92 A4
0x2BE29 9B B3
0x2BE2A 8E FF
0x30211 07 2A
0x30212 00 10'
if [ "$changes" != "$expected" ]; then
    printf 'expected changes:\n%s\nactual changes:\n%s\n' "$expected" "$changes" >&2
    fail "the saved image differs from the expected bytes"
fi
step "passed"
