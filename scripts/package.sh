#!/bin/bash
# Builds the Debian package of the player: a release build of the program alone (no tests)
# in a build folder of its own, packed by CPack; its library dependencies come from
# dpkg-shlibdeps. Prints the path of the .deb on its last line.
#   scripts/package.sh [BUILD_DIR]          default: build-package/
#   scripts/package.sh --from-build DIR     packs an optimised build that is already made
#                                           (the tests use their own; CPack strips it)
# Install with `apt-get install ./tamrel-vcd-player_*.deb` (which fetches what is missing),
# remove with `apt-get remove tamrel-vcd-player`.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
if [ "${1:-}" = --from-build ]; then
    dir=$2
    [ -x "$dir/tamrel-vcd-player" ] || { echo "no player built in $dir" >&2; exit 1; }
else
    dir=${1:-$root/build-package}
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DTAMREL_BUILD_TESTS=OFF \
        -DTAMREL_WERROR=ON >/dev/null
    cmake --build "$dir" -j"$(nproc)" >/dev/null
fi
rm -f "$dir"/tamrel-vcd-player_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$dir"/tamrel-vcd-player_*.deb
