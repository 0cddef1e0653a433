#!/usr/bin/env bash
# Crash test: kill -9 at random moments during a PACK of 200,000 records,
# streams of exclusive and shared appends and a project save (50 kills
# each, about a minute); after every kill the files are checked on disk and
# read by python3-dbfread (tests/dbase/crash/kill_runs.py).
# Usage: extra_crash.sh BUILD_FOLDER  (KT4_CRASH_KILLS, KT4_CRASH_SEED)
set -euo pipefail
build="${1:?usage: extra_crash.sh BUILD_FOLDER}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
cmake --build "$build" --target crash_driver >/dev/null
/usr/bin/python3 -c "import dbfread" || { echo "extra_crash.sh: python3-dbfread is missing" >&2; exit 1; }
exec timeout 600 /usr/bin/python3 "$root/tests/dbase/crash/kill_runs.py" "$build"
