#!/usr/bin/env bash
# Extra dBase engine test step: fuzzes the table reader for a while with
# clang's libFuzzer in a build folder of its own. Fails loudly when clang or
# the fuzzer runtime is missing (tests/dbase/packages.txt installs them).
# Usage: extra.sh BUILD_FOLDER   (KT4_FUZZ_SECONDS, default 60)
set -euo pipefail
build="${1:?usage: extra.sh BUILD_FOLDER}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
fuzz_build="$(dirname "$build")/build-fuzz"
seconds="${KT4_FUZZ_SECONDS:-60}"

for tool in clang clang++; do
    command -v "$tool" >/dev/null || { echo "dbase extra: $tool is missing" >&2; exit 1; }
done

cmake -S "$root" -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKT4_FUZZ=ON -DKT4_GUI=OFF -DKT4_TESTS=OFF -DKT4_BENCH=OFF \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$fuzz_build" --target fuzz_dbase_dbf_reader_fuzz

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root"/tests/dbase/corpus/* "$work"/
echo "dbase extra: fuzzing the table reader for ${seconds}s"
"$fuzz_build/fuzz_dbase_dbf_reader_fuzz" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 "$work" 2>"$work/fuzz.log" || {
    tail -60 "$work/fuzz.log" >&2
    echo "dbase extra: the table reader fuzz run failed" >&2
    exit 1
}
grep -E "stat::number_of_executed_units|Done " "$work/fuzz.log" || true
echo "dbase extra: fuzz run clean"
