#!/usr/bin/env bash
# Further seeds of the block reader's fuzz target: the two files ezdxf
# wrote (tests/cad/fixtures) and the golden DXF of the sample drawing.
# Usage: block_reader_fuzz.seeds.sh OUTDIR BUILD_DIR
set -euo pipefail
out="${1:?usage: block_reader_fuzz.seeds.sh OUTDIR BUILD_DIR}"
here="$(cd "$(dirname "$0")" && pwd)"
cp "$here/../fixtures/r12.dxf" "$here/../fixtures/r2000.dxf" "$here/../golden/sample.dxf" "$out"/
