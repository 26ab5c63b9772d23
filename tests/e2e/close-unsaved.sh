#!/usr/bin/env bash
# A close request (the close box's WM_DELETE_WINDOW) with unsaved changes
# asks first; No keeps the program running with its changes.
. "$(dirname "$0")/lib.sh"

start_x
image="$work/unsaved.nes"
"$image_maker" "$image"
cp "$image" "$work/original.nes"

step "start on the image and edit Targetting"
start_editor "$image"
main=$(wait_window "$AppTitle")
focus_window "$main"
keys Tab Tab Tab Down

step "close request: the unsaved-changes question appears"
"$closer" "$main"
question=$(wait_window "$AppTitle" "$main")

step "answer No: the window stays and the program runs on"
focus_window "$question"
keys alt+n
wait_window_gone "$question"
window_visible "$main" || fail "the main window went away"
editor_running || fail "the editor ended"

step "a second close request asks again: the changes are still unsaved"
"$closer" "$main"
question=$(wait_window "$AppTitle" "$main")
focus_window "$question"
keys Return
expect_exit 0

cmp "$work/original.nes" "$image" || fail "quitting without saving changed the image"
step "passed"
