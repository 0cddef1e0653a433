#!/usr/bin/env bash
# Seeds of the project-file target: the example projects and variants made
# from them (cut short, decimal commas, a number that is none, huge values,
# five bearings to calculate).
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
# every bearing record ("Lager k") a 6204 deep-groove ball bearing: designation,
# C0, C, D, d, B
awk '/^Lager [1-5]\r?$/ { at = NR }
     at && NR == at + 3 { $0 = "6204\r" }
     at && NR == at + 4 { $0 = "6550\r" }
     at && NR == at + 5 { $0 = "12700\r" }
     at && NR == at + 13 { $0 = "47\r" }
     at && NR == at + 14 { $0 = "20\r" }
     at && NR == at + 15 { $0 = "14\r" }
     { print }' "$ex" >"$out/bearings.kt4"
# the output torque (right after the fourth bearing record), far beyond any double
sed '271s/.*/1E4000\r/' "$out/bearings.kt4" >"$out/huge_torque.kt4"
