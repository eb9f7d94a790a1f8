#!/bin/bash
# Writes OUTPUT, a shared library without code of its own that needs libmpv and the libraries
# libmpv needs, listed by how many of the symbol lookups that opening libmpv takes each of them
# answers, most first.
#   make-mpv-load-order.sh PROBE LIBMPV OUTPUT CXX
# The dynamic loader looks every symbol up along the list of loaded libraries, library by
# library, and libmpv's own order puts the C library and the most used ones far down a list of
# over two hundred: most of the time libmpv takes to open goes to those walks. Opened in the
# order written here (as the root of its own lookup scope) the same libraries bind the same
# symbols in a fraction of the steps.
set -euo pipefail
probe=$1 libmpv=$2 output=$3 cxx=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

LD_DEBUG=files,bindings LD_DEBUG_OUTPUT=$work/log "$probe" "$libmpv"
# Only what libmpv's opening binds counts, not the probe's own start; a library counts only
# where the loader finds it by name alone (ld.so.cache), as it must find it from the list.
ldconfig -p | awk '$NF ~ /^\// {print $NF}' | sort -u >"$work/by-name"
awk -v libmpv="$libmpv" '
    index($0, "file=" libmpv " [0];  dynamically loaded by") { opening = 1 }
    opening && /binding file / {
        to = $0
        sub(/.* to /, "", to)
        sub(/ \[[0-9]+\]: .*/, "", to)
        if (!(to in count)) order[++n] = to
        count[to]++
    }
    END { for (i = 1; i <= n; i++) printf "%d %d %s\n", count[order[i]], i, order[i] }
' "$work"/log.* | sort -k1,1nr -k2,2n | awk '{print $3}' >"$work/definers"
grep -Fxf "$work/by-name" "$work/definers" | grep -v '/ld-linux' >"$work/ordered" || true
grep -q "/$libmpv\$" "$work/ordered" || grep -m1 "/$libmpv\$" "$work/by-name" >>"$work/ordered" || {
    echo "make-mpv-load-order: $libmpv is not found by name" >&2
    exit 1
}

mapfile -t libraries <"$work/ordered"
"$cxx" -shared -nostdlib -o "$output" -Wl,--no-as-needed "${libraries[@]}"
