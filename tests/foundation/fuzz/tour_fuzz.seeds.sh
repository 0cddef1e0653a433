#!/usr/bin/env bash
# Seeds of the tour target: the program's tour script.
# Usage: tour_fuzz.seeds.sh OUTDIR [BUILD_FOLDER]
set -euo pipefail
out="${1:?usage: tour_fuzz.seeds.sh OUTDIR [BUILD_FOLDER]}"
cp "$(dirname "$0")"/../../../data/kt4.dem "$out/"
