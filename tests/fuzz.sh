#!/usr/bin/env bash
# The fuzz step of ./test: builds every libFuzzer target in one clang build
# folder (build-fuzz beside the build folder) and runs them all, as many at
# once as there are cores, each for KT4_FUZZ_SECONDS (default 30).
#
# A target is tests/<sub>/fuzz/<stem>.cpp, built as fuzz_<sub>_<stem>; a new
# file is picked up with no change here. Optional, next to it:
#   <stem>.corpus/   seed files
#   <stem>.dict      libFuzzer dictionary
#   <stem>.seeds.sh  writes further seeds: bash <stem>.seeds.sh OUTDIR BUILD_FOLDER
#   <stem>.options   one line of extra libFuzzer flags
# Every target runs on a private copy of its seeds. One line per target
# tells the runs executed and "clean" or the input that failed (kept under
# build-fuzz/findings/<target>/, the log under build-fuzz/logs/). Fails if
# any target fails.
#
# Usage: tests/fuzz.sh [BUILD_FOLDER]
#   KT4_FUZZ_SECONDS  seconds per target (default 30)
#   KT4_FUZZ_JOBS     targets at once (default: the number of cores)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${1:-$root/build-test}")"
fuzz_build="$(dirname "$build")/build-fuzz"
seconds="${KT4_FUZZ_SECONDS:-30}"
jobs="${KT4_FUZZ_JOBS:-$(nproc)}"

fail() { echo "fuzz: $*" >&2; exit 1; }
[[ "$seconds" =~ ^[1-9][0-9]*$ ]] || fail "KT4_FUZZ_SECONDS must be a whole number of seconds"
[[ "$jobs" =~ ^[1-9][0-9]*$ ]] || fail "KT4_FUZZ_JOBS must be a whole number above 0"
for tool in clang clang++; do
    command -v "$tool" >/dev/null || fail "$tool is missing (tests/dbase/packages.txt installs it)"
done

shopt -s nullglob
sources=("$root"/tests/*/fuzz/*.cpp)
[ ${#sources[@]} -gt 0 ] || fail "no fuzz targets under tests/*/fuzz"
names=()
for src in "${sources[@]}"; do
    sub="$(basename "$(dirname "$(dirname "$src")")")"
    names+=("fuzz_${sub}_$(basename "$src" .cpp)")
done

mkdir -p "$fuzz_build"
log_dir="$fuzz_build/logs"
findings="$fuzz_build/findings"
mkdir -p "$log_dir" "$findings"
echo "fuzz: building ${#names[@]} targets in $fuzz_build"
if ! { cmake -S "$root" -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKT4_FUZZ=ON -DKT4_GUI=OFF -DKT4_TESTS=OFF -DKT4_BENCH=OFF \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ &&
       cmake --build "$fuzz_build" --target "${names[@]}"; } >"$log_dir/build.log" 2>&1; then
    tail -60 "$log_dir/build.log" >&2
    fail "the fuzz targets do not build"
fi

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

# Runs one target; writes its summary line to $scratch/<name>.result.
run_target() {
    local src="$1" name="$2"
    local dir stem work log result runs crash
    dir="$(dirname "$src")"
    stem="$(basename "$src" .cpp)"
    work="$scratch/$name"
    log="$log_dir/$name.log"
    result="$scratch/$name.result"
    mkdir -p "$work/corpus"
    : >"$log"
    rm -rf "${findings:?}/$name"
    mkdir -p "$findings/$name"
    [ -d "$dir/$stem.corpus" ] && cp -R "$dir/$stem.corpus/." "$work/corpus/"
    if [ -f "$dir/$stem.seeds.sh" ] &&
        ! bash "$dir/$stem.seeds.sh" "$work/corpus" "$build" >>"$log" 2>&1; then
        echo "$name: FAILED: $stem.seeds.sh (see $log)" >"$result"
        return
    fi
    local args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$findings/$name/")
    [ -f "$dir/$stem.dict" ] && args+=(-dict="$dir/$stem.dict")
    if [ -f "$dir/$stem.options" ]; then
        local extra=()
        read -r -a extra <"$dir/$stem.options" || true
        args+=("${extra[@]}")
    fi
    local rc=0
    (cd "$work" && exec "$fuzz_build/$name" "${args[@]}" "$work/corpus") >>"$log" 2>&1 || rc=$?
    runs="$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -1)"
    [ -n "$runs" ] || runs="$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#' || true)"
    if [ "$rc" -eq 0 ]; then
        echo "$name: ${runs:-0} runs, clean" >"$result"
    else
        crash="$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -1)"
        echo "$name: ${runs:-0} runs, FAILED: ${crash:-no input written} (log $log)" >"$result"
    fi
}

echo "fuzz: running ${#names[@]} targets for ${seconds}s each, $jobs at once"
for k in "${!names[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        wait -n || true
    done
    run_target "${sources[$k]}" "${names[$k]}" &
done
wait

failed=0
for name in "${names[@]}"; do
    if [ -f "$scratch/$name.result" ]; then
        line="$(cat "$scratch/$name.result")"
    else
        line="$name: FAILED: no result"
    fi
    echo "$line"
    if [[ "$line" == *FAILED* ]]; then
        failed=$((failed + 1))
        tail -40 "$log_dir/$name.log" >&2 || true
    fi
done
[ "$failed" -eq 0 ] || fail "$failed of ${#names[@]} targets failed"
echo "fuzz: all ${#names[@]} targets clean"
