#!/bin/sh
# Checks the desktop entry with the desktop's own validator, which must have
# nothing to say, and checks the keys that tie the entry to this program.
# Usage: check-desktop-entry.sh DESKTOP_FILE
set -u
entry=$1
status=0

if ! command -v desktop-file-validate >/dev/null 2>&1; then
    echo "desktop-file-validate is missing (Debian package desktop-file-utils; scripts/install-deps installs it)"
    exit 1
fi
report=$(desktop-file-validate "$entry" 2>&1) || status=1
if [ -n "$report" ]; then
    printf '%s\n' "$report"
    status=1
fi

for line in \
    '[Desktop Entry]' \
    'Type=Application' \
    'Name=Corvantis Spell Editor' \
    'Exec=corvantis-spell-editor %f' \
    'Icon=corvantis-spell-editor' \
    'Categories=Utility;' \
    'MimeType=application/x-nes-rom;'; do
    if ! grep -qxF "$line" "$entry"; then
        echo "missing line: $line"
        status=1
    fi
done
for key in GenericName Comment; do
    if ! grep -q "^$key=." "$entry"; then
        echo "missing key: $key"
        status=1
    fi
done
exit $status
