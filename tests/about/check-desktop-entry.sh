#!/bin/sh
# The desktop's own validator has nothing to say about the entry, and the keys that tie the entry
# to this program are there. Usage: check-desktop-entry.sh DESKTOP_FILE
report=$(desktop-file-validate "$1" 2>&1) && [ -z "$report" ] || { echo "desktop-file-validate: $report"; status=1; }
for line in '[Desktop Entry]' Type=Application 'Name=Corvantis Spell Editor' 'Exec=corvantis-spell-editor %f' \
    Icon=corvantis-spell-editor 'Categories=Utility;' 'MimeType=application/x-nes-rom;' GenericName= Comment=; do
    case $line in *=) grep -q "^$line." "$1" ;; *) grep -qxF "$line" "$1" ;; esac || { echo "missing: $line"; status=1; }
done
exit ${status:-0}
