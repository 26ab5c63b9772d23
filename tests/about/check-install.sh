#!/bin/sh
# Installs the build into a scratch prefix and checks that the program, its
# help page, its desktop entry and its icons land where a desktop looks.
# Usage: check-install.sh CMAKE BUILD_DIR APP_ID
set -u
cmake=$1
build=$2
app_id=$3

scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix

if ! "$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
    cat "$scratch/install.log"
    echo "cmake --install failed"
    exit 1
fi

status=0
for file in \
    bin/corvantis-spell-editor \
    share/corvantis-spell-editor/CorvantisSpellEdit.html \
    "share/applications/$app_id.desktop" \
    share/icons/hicolor/16x16/apps/corvantis-spell-editor.png \
    share/icons/hicolor/32x32/apps/corvantis-spell-editor.png \
    share/icons/hicolor/48x48/apps/corvantis-spell-editor.png \
    share/icons/hicolor/64x64/apps/corvantis-spell-editor.png \
    share/icons/hicolor/128x128/apps/corvantis-spell-editor.png \
    share/icons/hicolor/scalable/apps/corvantis-spell-editor.svg; do
    if [ ! -f "$prefix/$file" ] || [ ! -s "$prefix/$file" ]; then
        echo "not installed: $file"
        status=1
    fi
done
if [ -f "$prefix/bin/corvantis-spell-editor" ] && [ ! -x "$prefix/bin/corvantis-spell-editor" ]; then
    echo "not executable: bin/corvantis-spell-editor"
    status=1
fi
if [ $status -ne 0 ]; then
    echo "installed tree:"
    (cd "$prefix" && find . -type f | sort)
fi
exit $status
