# Shared by the end-to-end scripts: a private X server, the editor under it,
# and waits on its windows. Sourced, not run.
#
# Arguments of every script: EDITOR IMAGE_MAKER CLOSER.
#
# Under a bare Xvfb no window manager runs: nothing gives a new window the
# keyboard focus but the program itself, and nothing sends close requests.
# The scripts therefore hand the focus to the window they mean to type into
# (xdotool windowfocus) and send WM_DELETE_WINDOW with corvantis-e2e-close.

set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 EDITOR IMAGE_MAKER CLOSER" >&2
    exit 2
fi
editor=$1
image_maker=$2
closer=$3

for tool in Xvfb xdotool xwininfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed (scripts/install-deps installs it)" >&2
        exit 77
    fi
done

AppTitle='Corvantis Spell Editor'
# Seconds allowed for any one window to appear or go and for the program to
# end. Generous: the machine may be busy building.
wait_limit=30

work=$(mktemp -d)
xvfb_pid=
editor_pid=

cleanup() {
    local status=$?
    trap - EXIT INT TERM
    if [ -n "$editor_pid" ] && kill -0 "$editor_pid" 2>/dev/null; then
        kill "$editor_pid" 2>/dev/null || true
        wait "$editor_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    if [ "$status" -ne 0 ] && [ -s "$work/editor.log" ]; then
        echo "--- editor output:" >&2
        cat "$work/editor.log" >&2
    fi
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

step() {
    echo "-- $*"
}

# Polls a command until it succeeds; fails the test after wait_limit seconds.
wait_until() {
    local what=$1
    shift
    local deadline=$((SECONDS + wait_limit))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "timed out waiting for $what"
        sleep 0.05
    done
}

# Starts Xvfb on a display number of its own choosing (so that tests may run
# side by side) and points every later X client at it.
start_x() {
    local fd_file="$work/display"
    : >"$fd_file"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
        3>"$fd_file" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    wait_until "Xvfb to start" grep -q '^[0-9]' "$fd_file"
    export DISPLAY=":$(head -n1 "$fd_file")"
    export QT_QPA_PLATFORM=xcb
    # Keep Qt's runtime files and the file dialog's remembered folders out of
    # the user's home.
    export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    mkdir "$XDG_CONFIG_HOME"
    step "X server on $DISPLAY"
}

start_editor() {
    "$editor" "$@" >"$work/editor.log" 2>&1 &
    editor_pid=$!
}

editor_running() {
    kill -0 "$editor_pid" 2>/dev/null
}

# Visible top-level windows whose title is exactly $1, one id a line.
windows_titled() {
    local pattern
    pattern="^$(printf '%s' "$1" | sed 's/[].[^$*+?(){}|\\]/\\&/g')\$"
    xdotool search --onlyvisible --name "$pattern" 2>/dev/null || true
}

# Waits for a visible window titled $1 other than the windows listed in $2..,
# and prints its id.
wait_window() {
    local title=$1
    shift
    local deadline=$((SECONDS + wait_limit)) id
    while :; do
        editor_running || fail "the editor ended while waiting for \"$title\""
        for id in $(windows_titled "$title"); do
            case " $* " in
            *" $id "*) ;;
            *)
                echo "$id"
                return 0
                ;;
            esac
        done
        [ "$SECONDS" -lt "$deadline" ] || fail "no window \"$title\" appeared"
        sleep 0.05
    done
}

window_visible() {
    xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

window_gone() {
    ! window_visible "$1"
}

wait_window_gone() {
    wait_until "window $1 to close" window_gone "$1"
}

has_focus() {
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]
}

try_focus() {
    has_focus "$1" || { xdotool windowfocus "$1" 2>/dev/null && has_focus "$1"; }
}

# Gives window $1 the keyboard focus, as a window manager would on a click.
# Keystrokes sent after this reach it: X delivers the focus change and the
# keys to the program in the order they happened.
focus_window() {
    wait_until "window $1 to be shown" window_visible "$1"
    wait_until "window $1 to take the focus" try_focus "$1"
}

# Keystrokes to the window that has the focus.
keys() {
    xdotool key --delay 30 "$@"
}

type_text() {
    xdotool type --delay 30 -- "$1"
}

# Waits for the editor to end and fails unless it ends with status $1.
expect_exit() {
    wait_until "the editor to end" eval '! editor_running'
    local status=0
    wait "$editor_pid" || status=$?
    editor_pid=
    [ "$status" -eq "$1" ] || fail "the editor ended with status $status, not $1"
}
