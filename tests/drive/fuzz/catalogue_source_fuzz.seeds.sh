# Seeds of the catalogue source fuzz target: the head of each of the twelve
# sources, prefixed with its type byte.
# Called as: bash catalogue_source_fuzz.seeds.sh OUTDIR BUILD_DIR
set -euo pipefail
out=$1
src="$(cd "$(dirname "$0")/../../.." && pwd)/data/catalogues"
t=1
for table in rikula pekula nadelhul nalaoi zyrola kerola perola schrkula schrku2 nadelk zyrolav nadelv; do
    { printf "\\x$(printf %02x "$t")"; head -n 6 "$src/$table.csv"; } > "$out/seed_$table"
    t=$((t + 1))
done
