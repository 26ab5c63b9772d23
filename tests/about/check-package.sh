#!/bin/sh
# Builds the Debian package as scripts/package does and checks its control fields, that every file
# a desktop looks for is in it and not empty, that the program is executable, and what lintian says
# of it: no error and no warning (overrides only in debian/lintian-overrides, with their reasons).
# Without lintian the rest still runs and the test counts as skipped.
# Usage: check-package.sh SOURCE_DIR PACKAGE_DIR VERSION APP_ID
set -u
"$1/scripts/package" --build-only "$2" >/dev/null || exit 1
deb=$(ls "$2"/*.deb) status=0
for want in "Package corvantis-spell-editor" "Version $3" "Architecture $(dpkg --print-architecture)" \
    "Depends *libqt6widgets6*" "Maintainer The Corvantis Spell Editor authors"; do
    value=$(dpkg-deb -f "$deb" "${want%% *}")
    case $value in ${want#* }) ;; *) echo "${want%% *}: \"$value\", not ${want#* }" && status=1 ;; esac
done
files=$(dpkg-deb -c "$deb" | awk '$3 > 0 { print $6 } $1 ~ /^-..x/ { print "x" $6 }')
doc=share/doc/corvantis-spell-editor
for file in bin/corvantis-spell-editor "share/applications/$4.desktop" "share/metainfo/$4.metainfo.xml" \
    share/man/man1/corvantis-spell-editor.1.gz share/corvantis-spell-editor/CorvantisSpellEdit.html \
    $doc/copyright $doc/changelog.gz share/lintian/overrides/corvantis-spell-editor \
    share/icons/hicolor/scalable/apps/corvantis-spell-editor.svg \
    $(for s in 16 32 48 64 128; do echo "share/icons/hicolor/${s}x$s/apps/corvantis-spell-editor.png"; done); do
    printf '%s\n' "$files" | grep -qxF "./usr/$file" || { echo "not in the package: /usr/$file" && status=1; }
done
printf '%s\n' "$files" | grep -qxF "x./usr/bin/corvantis-spell-editor" || { echo "not executable" && status=1; }
command -v lintian >/dev/null || { echo "lintian is not installed (scripts/install-deps test)"; exit $((status ? 1 : 77)); }
report=$(lintian --display-info --pedantic --fail-on error,warning "$deb" 2>&1) || status=1
printf '%s\n' "$report" | grep -v '^running with root'
exit $status
