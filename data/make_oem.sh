#!/usr/bin/env bash
# Builds the program's OEM data files (code page 850, CR LF line ends) from
# their readable UTF-8 sources in data/src:
#   src/velmora.hlp.txt -> velmora.hlp   (help texts below 4000)
#   src/kt4.hlp.txt     -> kt4.hlp       (help texts from 4000)
#   src/kt4.err.txt     -> kt4.err       (message explanations)
#   src/kt4.dbh.txt     -> kt4.dbh       (help picture index)
# Run it after editing a source; the foundation tests check that the two
# agree.
set -euo pipefail
cd "$(dirname "$0")"
for src in src/velmora.hlp.txt src/kt4.hlp.txt src/kt4.err.txt src/kt4.dbh.txt; do
    out=$(basename "$src" .txt)
    iconv -f UTF-8 -t CP850 "$src" | sed 's/$/\r/' > "$out.tmp"
    mv "$out.tmp" "$out"
done
