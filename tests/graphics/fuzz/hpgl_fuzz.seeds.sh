#!/usr/bin/env bash
# Seeds of the plot-file target: the program's help pictures and the plot
# viewer's test files.
# Usage: hpgl_fuzz.seeds.sh OUTDIR [BUILD_FOLDER]
set -euo pipefail
out="${1:?usage: hpgl_fuzz.seeds.sh OUTDIR [BUILD_FOLDER]}"
root="$(cd "$(dirname "$0")/../../.." && pwd)"
for f in "$root"/data/*.plt "$root"/tests/graphics/fixtures/*.plt; do
    cp "$f" "$out/$(basename "$(dirname "$f")")_$(basename "$f")"
done
