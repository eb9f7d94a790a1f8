#!/bin/bash
# Fails when a C++ source does not follow .clang-format.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mapfile -t files < <(git ls-files -co --exclude-standard -- 'src/*.cpp' 'src/*.h' \
    'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h')
[ ${#files[@]} -gt 0 ] || exit 0
if ! clang-format --dry-run --Werror "${files[@]}"; then
    echo "Sources differ from .clang-format; run: clang-format -i <files>" >&2
    exit 1
fi
echo "Format check: ${#files[@]} files follow .clang-format."
