#!/bin/bash
# The Debian package: packed by scripts/package.sh from the tests' own build, installed with
# apt-get (which resolves its dependencies), started under Xvfb on a disc image and removed
# again, leaving nothing behind. Needs root; skipped otherwise.
#   test_package.sh BUILD_DIR DISC_IMAGE
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
    echo "Skipped: installing a package needs root."
    exit 77
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
image=$2
work=$(mktemp -d)
apt=(apt-get -y -qq -o DPkg::Lock::Timeout=300)
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
cleanup() {
    if dpkg-query -W -f='${Status}' tamrel-vcd-player 2>/dev/null | grep -q 'ok installed'; then
        DEBIAN_FRONTEND=noninteractive "${apt[@]}" remove tamrel-vcd-player >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
export DEBIAN_FRONTEND=noninteractive

deb=$("$root/scripts/package.sh" --from-build "$1" | tail -1)
[ -f "$deb" ] || fail "no package built"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libmpv2 libqt6widgets6 libqt6dbus6 libcdio19 libiso9660 libasound2 qt6-qpa-plugins; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Version)" = "2.2.2" ] || fail "version"

"${apt[@]}" install "$deb" >/dev/null || fail "apt-get install $deb"
dpkg-query -L tamrel-vcd-player > "$work/files"
for path in /usr/bin/tamrel-vcd-player /usr/share/applications/org.tamrel_vcd.TamrelVcdPlayer.desktop \
    /usr/share/metainfo/org.tamrel_vcd.TamrelVcdPlayer.metainfo.xml \
    /usr/share/man/man1/tamrel-vcd-player.1.gz \
    /usr/share/icons/hicolor/48x48/apps/org.tamrel_vcd.TamrelVcdPlayer.png \
    /usr/share/mime/packages/org.tamrel_vcd.TamrelVcdPlayer.xml; do
    grep -qx "$path" "$work/files" && [ -e "$path" ] || fail "$path not installed"
done
[ "$(/usr/bin/tamrel-vcd-player --version)" = "Tamrel VCD Player 2.2.2" ] || fail "--version"

# The installed program on the disc image, on an X display.
run_player() {
    TAMREL_TRACE=1 TAMREL_STARTUP_TIMELINE=1 TAMREL_CD_DRIVES=$image TAMREL_MPV_OPTIONS=ao=null \
        XDG_CONFIG_HOME=$work/config /usr/bin/tamrel-vcd-player > "$work/trace" 2>&1 &
    local pid=$! played=1
    for _ in $(seq 150); do
        if grep -q '^status: Playing Avseq01.dat  \.\.\.\.\.\.\.\.$' "$work/trace"; then
            played=0
            break
        fi
        sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    return $played
}
export -f run_player
export image work
if [ -n "${DISPLAY:-}" ]; then
    run_player || fail "the installed player did not play the disc: $(cat "$work/trace")"
else
    xvfb-run -a -s "-screen 0 1280x800x24" bash -c run_player ||
        fail "the installed player did not play the disc: $(cat "$work/trace")"
fi
grep -q 'libmpv opened in load order' "$work/trace" ||
    fail "the installed player did not open libmpv through its load-order library: $(cat "$work/trace")"

"${apt[@]}" remove tamrel-vcd-player >/dev/null || fail "apt-get remove"
status=$(dpkg-query -W -f='${Status}' tamrel-vcd-player 2>/dev/null || true)
[[ "$status" != *"ok installed"* ]] || fail "still installed: $status"
while read -r path; do
    [ -d "$path" ] || [ ! -e "$path" ] || fail "$path left behind"
done < "$work/files"
echo "Package $deb installs, plays and removes cleanly."
