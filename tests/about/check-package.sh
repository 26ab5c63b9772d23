#!/bin/sh
# Builds the Debian package from the build tree and checks its control fields, that every file a
# desktop looks for is in it and not empty, and that the program is executable.
# Usage: check-package.sh CPACK BUILD_DIR PROGRAM INSTALL_PREFIX APP_ID
set -u
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
(cd "$2" && "$1" -G DEB -B "$scratch") >"$scratch/log" 2>&1 || { cat "$scratch/log"; exit 1; }
deb=$(ls "$scratch"/*.deb) status=0
for want in "Package corvantis-spell-editor" "Version $("$3" --version | cut -d' ' -f2)" \
    "Architecture $(dpkg --print-architecture)" "Depends *libqt6widgets6*" "Maintainer ?*"; do
    value=$(dpkg-deb -f "$deb" "${want%% *}")
    case $value in ${want#* }) ;; *) echo "${want%% *}: \"$value\", not ${want#* }" && status=1 ;; esac
done
files=$(dpkg-deb -c "$deb" | awk '$3 > 0 { print $6 } $1 ~ /^-..x/ { print "x" $6 }')
for file in bin/corvantis-spell-editor "share/applications/$5.desktop" "share/metainfo/$5.metainfo.xml" \
    share/man/man1/corvantis-spell-editor.1.gz share/corvantis-spell-editor/CorvantisSpellEdit.html \
    share/doc/corvantis-spell-editor/copyright share/icons/hicolor/scalable/apps/corvantis-spell-editor.svg \
    $(for s in 16 32 48 64 128; do echo "share/icons/hicolor/${s}x$s/apps/corvantis-spell-editor.png"; done); do
    printf '%s\n' "$files" | grep -qxF ".$4/$file" || { echo "not in the package: $4/$file" && status=1; }
done
printf '%s\n' "$files" | grep -qxF "x.$4/bin/corvantis-spell-editor" || { echo "not executable" && status=1; }
exit $status
