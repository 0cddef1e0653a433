#!/usr/bin/env bash
# Seeds of the load-factor target: the program's four factor tables.
# Usage: load_factors_fuzz.seeds.sh OUTDIR [BUILD_FOLDER]
set -euo pipefail
out="${1:?usage: load_factors_fuzz.seeds.sh OUTDIR [BUILD_FOLDER]}"
cp "$(dirname "$0")"/../../../data/*.HDF "$out/"
