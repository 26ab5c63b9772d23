#!/bin/sh
# The version is the one the build has wherever it is written: the man page's title, the metainfo's
# newest release, NEWS.md's newest entry and the About box. Usage: check-versions.sh VERSION SOURCE_DIR
cd "$2" || exit 1
status=0
for found in "$(sed -n 's/^\.TH .*"Corvantis Spell Editor \([^"]*\)".*/\1/p' resources/corvantis-spell-editor.1)" \
    "$(grep -m1 -o '<release version="[^"]*"' resources/*.metainfo.xml | cut -d'"' -f2)" \
    "$(grep -m1 '^## ' NEWS.md | cut -d' ' -f2)" \
    "$(grep -o '<string>Version [^<]*' src/ui/aboutForm.ui | cut -d' ' -f2)"; do
    [ "$found" = "$1" ] || { echo "version \"$found\" where the build has $1"; status=1; }
done
exit $status
