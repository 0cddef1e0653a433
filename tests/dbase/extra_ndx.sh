#!/usr/bin/env bash
# NDX cross-checks with independent programs: index_dump reads our index
# files, and the office suite's dBase driver writes index files that we
# read and keep up to date (tests/dbase/ndx_peers.py). Fails loudly when a
# peer is missing (tests/dbase/packages.txt installs them).
# Usage: extra_ndx.sh BUILD_FOLDER
set -euo pipefail
# shellcheck source=SCRIPTDIR/../common/step.sh
source "$(dirname "$0")/../common/step.sh" extra_ndx.sh "$@"

need index_dump soffice
need_python "dbf, uno" "python3-dbf or python3-uno"
cmake --build "$build" --target ndxtool >/dev/null

make_work
/usr/bin/python3 "$root/tests/dbase/ndx_peers.py" "$build/tools/ndxtool" "$work"
