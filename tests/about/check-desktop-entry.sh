#!/bin/sh
# The desktop's own validator, where installed, has nothing to say about the entry, and the keys
# that tie the entry to this program are there. Usage: check-desktop-entry.sh DESKTOP_FILE
if ! command -v desktop-file-validate >/dev/null; then
    echo "desktop-file-validate is not installed (scripts/install-deps test)"; skipped=77
elif ! report=$(desktop-file-validate "$1" 2>&1) || [ -n "$report" ]; then
    echo "desktop-file-validate: $report"; status=1
fi
for line in '[Desktop Entry]' Type=Application 'Name=Corvantis Spell Editor' 'Exec=corvantis-spell-editor %f' \
    Icon=corvantis-spell-editor 'Categories=Utility;' 'MimeType=application/x-nes-rom;' GenericName= Comment=; do
    case $line in *=) grep -q "^$line." "$1" ;; *) grep -qxF "$line" "$1" ;; esac || { echo "missing: $line"; status=1; }
done
exit ${status:-${skipped:-0}}
