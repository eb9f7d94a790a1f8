#!/bin/sh
# Builds the corpus of bad inputs (damaged disc images, cue and toc sheets, media files,
# hostile folders and names, settings files) into OUT, from the discs of
# scripts/make-test-discs.sh and the clips of scripts/make-test-media.sh. Deterministic:
# fixed seeds, the same bytes on every run. OUT/cases.tsv lists the cases.
#
#   scripts/make-bad-inputs.sh OUT [DISCS MEDIA]
#
# DISCS and MEDIA default to $TAMREL_TEST_DISCS and $TAMREL_TEST_MEDIA.
set -eu

if [ $# -ne 1 ] && [ $# -ne 3 ]; then
    echo "usage: $0 OUT [DISCS MEDIA]" >&2
    exit 2
fi
out=$1
discs=${2:-${TAMREL_TEST_DISCS:?set TAMREL_TEST_DISCS or name DISCS}}
media=${3:-${TAMREL_TEST_MEDIA:?set TAMREL_TEST_MEDIA or name MEDIA}}
exec python3 "$(dirname "$0")/../tests/corpus/make_bad_inputs.py" "$out" "$discs" "$media"
