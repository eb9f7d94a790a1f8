#!/bin/bash
# Fails on an include in src/ that runs against the layers of src/layers.txt: every header a
# source includes must lie in its own part or in a part its part may use (directly or through
# the parts those use). The build enforces the same rule through each part's include root;
# this names every offence at once, without building.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root/src"

# "part: uses..." lines, then every source file with its includes, into one awk program.
{
    grep -E '^[a-z]' layers.txt | sed 's/^/LAYER /'
    git -C "$root" ls-files -co --exclude-standard -- 'src/*.cpp' 'src/*.h' |
        sed 's|^src/||' | grep -v '^launcher/' | while read -r file; do
            echo "FILE $file"
            sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\/[^"]*\)".*/INCLUDE \1/p' "$file"
        done
} | awk '
function part_of(path,    p, best) {
    best = ""
    for (p in uses)
        if (index(path, p "/") == 1 && length(p) > length(best))
            best = p
    return best
}
function reaches(from, to,    queue, seen, head, tail, next_part, n, i, list) {
    if (from == to)
        return 1
    head = 0; tail = 0
    queue[tail++] = from; seen[from] = 1
    while (head < tail) {
        next_part = queue[head++]
        n = split(uses[next_part], list, " ")
        for (i = 1; i <= n; i++) {
            if (list[i] == to)
                return 1
            if (!(list[i] in seen)) {
                seen[list[i]] = 1
                queue[tail++] = list[i]
            }
        }
    }
    return 0
}
$1 == "LAYER" {
    part = $2; sub(/:$/, "", part)
    line = $0; sub(/^LAYER [^:]*:[ ]*/, "", line)
    uses[part] = line
    next
}
$1 == "FILE" { file = $2; file_part = part_of(file); if (file_part == "") { print "src/" file ": in no part of src/layers.txt"; bad++ }; next }
$1 == "INCLUDE" {
    header = $2
    header_part = part_of(header)
    if (header_part == "")
        next # not one of ours (a Qt or libmpv header in quotes, say)
    if (!reaches(file_part, header_part)) {
        print "src/" file ": " file_part " includes " header " of " header_part
        bad++
    }
}
END {
    if (bad) {
        print bad " include(s) run against src/layers.txt" > "/dev/stderr"
        exit 1
    }
    print "Layers: every include in src/ keeps to src/layers.txt."
}'
