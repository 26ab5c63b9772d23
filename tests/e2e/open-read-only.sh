#!/usr/bin/env bash
# Started without an image, the editor asks for one. Opened read-only from
# the open dialog, the image refuses an edit with the read-only message, and
# Exit then ends the program without a question and without touching it.
. "$(dirname "$0")/lib.sh"

start_x
image="$work/read-only.nes"
"$image_maker" "$image"
cp "$image" "$work/original.nes"

step "start without an image: the open dialog appears"
start_editor
dialog=$(wait_window "Open ROM...")
main=$(wait_window "$AppTitle")

step "type the path, tick \"Open as read-only\", open"
focus_window "$dialog"
type_text "$image"
# From the file name box the read-only box is four Tabs on (file type list,
# the two buttons, the box). Space ticks it at once, where its access key
# Alt+R would tick it only after the button's 100 ms press animation, which
# an Enter right behind it can beat.
keys Tab Tab Tab Tab space Return
wait_window_gone "$dialog"

step "edit Targetting from the keyboard: the read-only message appears"
focus_window "$main"
# cbSpellName has the focus; then txtName, txtRaw, cbByte4 (Targetting).
keys Tab Tab Tab Down
box=$(wait_window "$AppTitle" "$main")
focus_window "$box"
keys Return
wait_window_gone "$box"

step "File > Exit ends the program without a question"
focus_window "$main"
keys alt+f x
expect_exit 0

cmp "$work/original.nes" "$image" || fail "the read-only image changed"
step "passed"
