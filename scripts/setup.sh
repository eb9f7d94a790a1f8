#!/bin/bash
# Installs Debian 12 packages and builds.
#   scripts/setup.sh [BUILD_DIR] [extra cmake arguments...]   every package; the player, the
#                                                             tests and the benchmarks
#   scripts/setup.sh --player                                 the player's packages; the player
#                                                             and its desktop files, in build/
#   scripts/setup.sh --packages LIST...                       the packages of these lists only:
#                                                             player, demo, test
#   scripts/setup.sh --packages-only                          every package
# The lists are scripts/packages-LIST.txt. As root, missing packages are installed with
# apt-get; as another user the script names them and stops.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

missing_packages() {
    local list pkg
    for list in "$@"; do
        grep -v '^#' "$here/packages-$list.txt" | while read -r pkg; do
            [ -n "$pkg" ] || continue
            dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
                echo "$pkg"
        done
    done
}

install_packages() {
    local missing
    missing=$(missing_packages "$@" | sort -u | tr '\n' ' ')
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

# build DIR TARGETS [-- cmake arguments...]; the target "all" builds the tests too.
build() {
    local dir=$1
    shift
    local targets=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do
        targets+=("$1")
        shift
    done
    [ $# -gt 0 ] && shift
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMREL_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"
}

case "${1:-}" in
--packages-only) install_packages player demo test ;;
--packages)
    shift
    install_packages "$@"
    ;;
--player)
    install_packages player
    # The desktop files too, so that `cmake --install build` has all it installs.
    build "$root/build" tamrel-vcd-player desktop_files
    ;;
*)
    install_packages player demo test
    dir=${1:-$root/build}
    [ $# -gt 0 ] && shift
    build "$dir" all -- "$@"
    ;;
esac
