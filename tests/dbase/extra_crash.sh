#!/usr/bin/env bash
# Crash test: kill -9 at random moments during a PACK of 200,000 records,
# a PACK with memos and one to three indexes (also at every rename, unlink
# and flush, under strace), an APPEND FROM into a table with two indexes,
# streams of exclusive and shared appends and a project save (50 kills
# each, about a minute and a half); after every kill the files are checked
# on disk and read by python3-dbfread, a PACK with memos that a kill
# interrupted is finished by the next USE, and every key the table holds
# is found through each index or refused naming it
# (tests/dbase/crash/kill_runs.py). Then REINDEX
# under strace's fault injection, killed at every write and with a full
# disk, and a key change whose record write or flush fails, tried again
# (tests/dbase/crash/reindex_faults.py). Last, 20 runs of one writer
# appending 1,000 times while two readers find or walk the index: every
# append not refused is in the table and index once, refusals told
# (NdxSharedTest.AWriterGetsItsTurnWhileReadersComeAndGo).
# Usage: extra_crash.sh BUILD_FOLDER  (KT4_CRASH_KILLS, KT4_CRASH_SEED)
set -euo pipefail
# shellcheck source=SCRIPTDIR/../common/step.sh
source "$(dirname "$0")/../common/step.sh" extra_crash.sh "$@"
cmake --build "$build" --target crash_driver ndxtool test_dbase >/dev/null
need_python dbfread python3-dbfread
need strace
timeout 600 /usr/bin/python3 "$root/tests/dbase/crash/kill_runs.py" "$build"
timeout 600 /usr/bin/python3 "$root/tests/dbase/crash/reindex_faults.py" "$build"
exec timeout 300 "$build/test_dbase" --gtest_repeat=20 --gtest_brief=1 \
    --gtest_filter=NdxSharedTest.AWriterGetsItsTurnWhileReadersComeAndGo
