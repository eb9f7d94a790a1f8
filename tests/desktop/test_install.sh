#!/bin/bash
# What `cmake --install` puts in place for the desktop, checked by the desktop's own tools:
# the desktop entry (desktop-file-validate), the AppStream metainfo (appstreamcli), the man
# page (man), the icons (their sizes), the MIME type of Video CD tracks (update-mime-database).
#   test_install.sh BUILD_DIR
set -euo pipefail
build=$1
id=org.tamrel_vcd.TamrelVcdPlayer
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
usr=$stage/usr
share=$usr/share

[ -x "$usr/bin/tamrel-vcd-player" ] || fail "no executable in bin/"
# The command finds the program, and the program its load-order library, where they are put.
program=$(find "$usr" -name tamrel-vcd-player-bin -type f)
[ -x "$program" ] || fail "no player program installed"
[ -f "$(dirname "$program")/libtamrel-mpv-order.so" ] || fail "no load-order library beside $program"
[ "$("$usr/bin/tamrel-vcd-player" --version)" = "Tamrel VCD Player 2.2.2" ] ||
    fail "the installed command does not start the installed program"
entry=$share/applications/$id.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
grep -qx 'Exec=tamrel-vcd-player %f' "$entry" || fail "Exec line"
grep -qx "Icon=$id" "$entry" || fail "Icon line"
mime=$(sed -n 's/^MimeType=//p' "$entry")
for type in video/mpeg audio/mpeg video/x-msvideo video/quicktime application/vnd.ms-asf \
    video/x-ms-wmv audio/x-ms-wma video/x-vcd-track application/x-cue application/x-cd-image \
    application/x-nrg application/x-cdrdao-toc x-content/video-vcd x-content/video-svcd; do
    [[ ";$mime" == *";$type;"* ]] || fail "MimeType lacks $type"
done

appstreamcli validate --no-net --strict "$share/metainfo/$id.metainfo.xml" ||
    fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$share/metainfo/$id.metainfo.xml" ||
    fail "metainfo does not launch the desktop entry"

page=$share/man/man1/tamrel-vcd-player.1.gz
[ -f "$page" ] || fail "no man page"
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man page warnings: $warnings"
text=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
for words in SYNOPSIS "--help" "--version" TAMREL_CD_DRIVES TAMREL_MPV_OPTIONS \
    "Tamrel VCD Player.ini" Alt+Enter Esc "or playing (o)"; do
    grep -qF -- "$words" <<<"$text" || fail "man page lacks $words"
done
# Every key --help lists (the program's own table) is in the manual's, which the build wrote
# from the same table's source.
keys=$("$usr/bin/tamrel-vcd-player" --help | sed -n '/^Keys:/,/^$/p' | sed -n 's/^  \(.\{24\}\).*/\1/p')
[ "$(wc -l <<<"$keys")" -ge 12 ] || fail "--help lists only: $keys"
while read -r key; do
    grep -qF -- "$key" <<<"$text" || fail "man page lacks the key $key"
done <<<"$keys"

[ -f "$share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no SVG icon"
for size in 16 22 24 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -f "$png" ] || fail "no $size px icon"
    # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "$png is ${w}x$h"
done

# The MIME package names Video CD track files and nothing else that ends in .dat.
update-mime-database "$share/mime" 2>/dev/null || fail "update-mime-database"
grep -qi '^50:video/x-vcd-track:avseq\*\.dat$' "$share/mime/globs2" || fail "AVSEQ glob"
! grep -qi ':\*\.dat$' "$share/mime/globs2" || fail "a glob claims every .dat file"
# Every disc image's name has a type, in the system's database or ours, that the entry lists.
for ext in cue iso nrg toc; do
    type=$(grep -hi ":\*\.$ext\$" "$share/mime/globs2" /usr/share/mime/globs2 2>/dev/null |
        sort -t: -k1,1nr | head -1 | cut -d: -f2)
    [ -n "$type" ] || fail "no MIME type has the glob *.$ext"
    [[ ";$mime" == *";$type;"* ]] || fail "*.$ext is $type, which the entry lacks"
done
echo "Installed files are valid."
