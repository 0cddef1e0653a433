#!/usr/bin/env bash
# NDX cross-checks with independent programs: index_dump reads our index
# files, and the office suite's dBase driver writes index files that we
# read and keep up to date (tests/dbase/ndx_peers.py). Fails loudly when a
# peer is missing (tests/dbase/packages.txt installs them).
# Usage: extra_ndx.sh BUILD_FOLDER
set -euo pipefail
build="${1:?usage: extra_ndx.sh BUILD_FOLDER}"
root="$(cd "$(dirname "$0")/../.." && pwd)"

for tool in index_dump soffice; do
    command -v "$tool" >/dev/null || { echo "extra_ndx.sh: $tool is missing" >&2; exit 1; }
done
/usr/bin/python3 -c "import dbf, uno" || { echo "extra_ndx.sh: python3-dbf or python3-uno is missing" >&2; exit 1; }
cmake --build "$build" --target ndxtool >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$root/tests/dbase/ndx_peers.py" "$build/tools/ndxtool" "$work"
