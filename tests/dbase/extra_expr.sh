#!/usr/bin/env bash
# Fuzzes the dBase expression compiler and evaluator for 60 seconds.
# Builds the libFuzzer target with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in its own build folder beside the build
# folder given as $1, and fails on any crash or sanitizer report.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(dirname "${1:-$root/build}")/build-fuzz"
seconds="${KT4_FUZZ_SECONDS:-60}"

for tool in clang clang++; do
    command -v "$tool" >/dev/null || { echo "extra_expr.sh: $tool is missing" >&2; exit 1; }
done

[ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKT4_FUZZ=ON -DKT4_GUI=OFF -DKT4_TESTS=OFF -DKT4_BENCH=OFF \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" --target fuzz_dbase_expr_fuzz

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus"
# Seeds: one expression per file.
i=0
while IFS= read -r seed; do
    printf '%s' "$seed" >"$work/corpus/seed$((i++))"
done <<'EOF'
UPPER(NAME) = "MEIER" .AND. PRICE > 100
NAME + STR(PRICE, 10, 2) + DTOS(DAY)
IIF(OK, T->NAME, O->CODE) - SPACE(3)
SUBSTR(NAME, QTY, 3) + STUFF(NAME, 2, 1, LEFT(O->CODE, 1))
ROUND(RATE * 2 ^ -QTY, 2) + MOD(QTY, O->N) + VAL(STR(PRICE))
CTOD(DTOC(DAY + 1)) - DAY > 0 .OR. .NOT. DELETED()
CDOW(DAY) + CMONTH(DATE()) + SOUNDEX(NAME) + CHR(ASC(NAME))
YEAR(DAY) + MONTH(DAY) + DAY(DAY) + DOW(DAY) + RECNO() + LEN(TRIM(NAME))
REPLICATE(NAME, 30) $ LOWER(RTRIM(LTRIM(NAME))) == 'x'
MAX(DAY, DATE()) <> MIN(DAY, DATE()) .AND. AT('e', NAME) # 0
NOTE
-(-(1.5E3)) ** 2 / (QTY - 7) <= ABS(INT(PRICE))
EOF
cat >"$work/expr.dict" <<'EOF'
"UPPER("
"LOWER("
"SUBSTR("
"STUFF("
"REPLICATE("
"SPACE("
"STR("
"ROUND("
"IIF("
"CTOD("
"DTOC("
"DTOS("
"DATE()"
"RECNO()"
"DELETED()"
".AND."
".OR."
".NOT."
".T."
".F."
"->"
"**"
"=="
"<>"
"NAME"
"PRICE"
"QTY"
"DAY"
"RATE"
"NOTE"
"T->"
"O->CODE"
"1E300"
EOF

export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
cd "$work"
"$build/fuzz_dbase_expr_fuzz" -max_total_time="$seconds" -max_len=300 -timeout=10 -rss_limit_mb=2048 \
    -dict="$work/expr.dict" -print_final_stats=1 "$work/corpus" 2>"$work/log" || {
    tail -60 "$work/log" >&2
    echo "extra_expr.sh: the expression fuzzer found a fault" >&2
    exit 1
}
grep -E "^Done|stat::number_of_executed_units" "$work/log" || true
echo "extra_expr.sh: no crash in ${seconds} s"
