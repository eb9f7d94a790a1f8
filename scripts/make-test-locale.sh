#!/bin/bash
# The tests check that stored numbers do not follow the user's locale; they need a locale
# with a decimal comma. Generates de_DE.UTF-8 once (as root; the package "locales" is in
# packages-test.txt).
set -euo pipefail
if locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "The de_DE.UTF-8 locale is missing; as root run: $0" >&2
    exit 0
fi
sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
locale-gen >/dev/null
