# Sourced by the scripts that generate media into OUTDIR, their one argument. Sets $out and
# $stamp and ends the calling script at once when OUTDIR/.done holds the checksum of that
# script (editing a script thus regenerates its output); otherwise clears the mark, which
# the caller writes ("$stamp" > "$out/.done") when it has finished.
if [ $# -ne 1 ]; then
    echo "usage: $0 OUTDIR" >&2
    exit 2
fi
out=$1
stamp=$(cksum < "$0" | cut -d' ' -f1)
if [ -f "$out/.done" ] && [ "$(cat "$out/.done")" = "$stamp" ]; then
    exit 0
fi
mkdir -p "$out"
rm -f "$out/.done"
