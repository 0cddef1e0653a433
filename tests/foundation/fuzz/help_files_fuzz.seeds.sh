#!/usr/bin/env bash
# Seeds of the help-file target: the program's help texts, the start of its
# message explanations and its help-picture index.
# Usage: help_files_fuzz.seeds.sh OUTDIR [BUILD_FOLDER]
set -euo pipefail
out="${1:?usage: help_files_fuzz.seeds.sh OUTDIR [BUILD_FOLDER]}"
data="$(cd "$(dirname "$0")/../../../data" && pwd)"
cp "$data/kt4.hlp" "$data/kt4.dbh" "$out/"
head -c 3000 "$data/velmora.hlp" >"$out/velmora.hlp"
head -n 30 "$data/kt4.err" >"$out/kt4.err"
