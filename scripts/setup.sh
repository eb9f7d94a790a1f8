#!/bin/bash
# Installs what the build, the player and the tests need (Debian 12) and builds the player.
#   scripts/setup.sh [BUILD_DIR] [extra cmake arguments...]   everything, tests included
#   scripts/setup.sh --player                                 only the player, in build/
#   scripts/setup.sh --packages-only
# As root, missing packages are installed with apt-get; as another user the script names
# them and stops.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

missing_packages() {
    local pkg
    grep -v '^#' "$here/packages.txt" | while read -r pkg; do
        [ -n "$pkg" ] || continue
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            echo "$pkg"
    done
}

install_packages() {
    local missing
    missing=$(missing_packages | tr '\n' ' ')
    [ -n "${missing// /}" ] || return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "These Debian packages are missing; install them as root first:" >&2
        echo "  apt-get update && apt-get install --no-install-recommends $missing" >&2
        exit 1
    fi
    echo "Installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

# build DIR TARGET [cmake arguments...]; TARGET "all" builds the tests too.
build() {
    local dir=$1 target=$2
    shift 2
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMREL_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)" --target "$target"
}

install_packages
case "${1:-}" in
--packages-only) ;;
--player) build "$root/build" tamrel-vcd-player ;;
*)
    dir=${1:-$root/build}
    [ $# -gt 0 ] && shift
    build "$dir" all "$@"
    ;;
esac
