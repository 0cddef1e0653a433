#!/usr/bin/env bash
# The link check of the layers (kt4_layers.cmake):
#   kt4_check_links.sh NM LIST
# LIST holds one line per static library: its name, its archive and the
# libraries below it, separated by tabs (the names among themselves by
# spaces). Every symbol a library leaves undefined that another library of
# LIST defines must be defined in the library itself or in one below it.
# Fails with one line per other symbol: the library, the symbol
# and the libraries that define it.
set -euo pipefail
nm="$1"
list="$2"
symbols="$(mktemp)"
trap 'rm -f "$symbols"' EXIT
while IFS=$'\t' read -r name archive _; do
    [ -f "$archive" ] || { echo "$name: $archive is missing (build first)" >&2; exit 1; }
    # nm -P: "symbol type [value size]", a "archive[member]:" line per member
    "$nm" -g -P "$archive" | awk -v lib="$name" 'NF >= 2 && $0 !~ /:$/ { print lib, $1, $2 }'
done <"$list" >"$symbols"

if ! awk '
FNR == NR {
    split($0, f, "\t"); n = split(f[3], names, " ")
    for (i = 1; i <= n; i++) below[f[1], names[i]] = 1
    next
}
# U: undefined; w, v: weak references, which may stay unresolved
$3 == "U" { wanted[$1, $2] = 1; next }
$3 == "w" || $3 == "v" { next }
{ defined[$1, $2] = 1; owners[$2] = owners[$2] " " $1 }
END {
    bad = 0
    for (key in wanted) {
        split(key, k, SUBSEP)
        lib = k[1]; sym = k[2]
        if ((lib, sym) in defined || !(sym in owners)) continue
        n = split(owners[sym], libs, " ")
        ok = 0
        for (i = 1; i <= n; i++) if ((lib, libs[i]) in below) ok = 1
        if (!ok) { print lib " uses " sym " from" owners[sym]; bad = 1 }
    }
    exit bad
}' "$list" "$symbols" | sort | c++filt; then
    echo "a library uses one that its declaration does not put below it (kt4_module DEPS and PARTS)" >&2
    exit 1
fi
