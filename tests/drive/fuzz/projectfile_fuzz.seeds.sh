#!/usr/bin/env bash
# Seeds of the project-file target: the example projects and variants made
# from them (cut short, decimal commas, a number that is none, huge values).
# Usage: projectfile_fuzz.seeds.sh OUTDIR [BUILD_FOLDER]
set -euo pipefail
out="${1:?usage: projectfile_fuzz.seeds.sh OUTDIR [BUILD_FOLDER]}"
data="$(cd "$(dirname "$0")/../../../data" && pwd)"
for f in "$data"/*.kt4; do
    cp "$f" "$out/"
done
ex="$data/beispiel1.kt4"
head -n 120 "$ex" >"$out/cut_short.kt4"
sed 's/\([0-9]\)\.\([0-9]\)/\1,\2/' "$ex" >"$out/decimal_comma.kt4"
sed '12s/.*/zwoelf\r/' "$ex" >"$out/bad_number.kt4"
# dp, then speed and power of the input shaft, far beyond any double
sed -e '11s/.*/1E4000\r/' "$ex" >"$out/huge_dp.kt4"
sed -e '24s/.*/1E4000\r/' -e '26s/.*/-1E4000\r/' "$ex" >"$out/huge_power.kt4"
