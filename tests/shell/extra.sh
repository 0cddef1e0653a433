#!/usr/bin/env bash
# Peer check of the spreadsheet link: python3's csv module in strict mode
# reads the CSV files the window tests leave in BUILD_FOLDER/artifacts and
# compares them with their sources: the project data file, the printout's
# TXT file and the project list's 17 columns. The office suite's
# spreadsheet then opens the project and printout CSV files of "German
# x,xx" with a German locale and those of "English x.xx" with an English
# one: every decimal number and whole number of the sources must arrive as
# that number (tests/shell/lo_csv.py).
# Usage: extra.sh BUILD_FOLDER
set -euo pipefail
# shellcheck source=SCRIPTDIR/../common/step.sh
source "$(dirname "$0")/../common/step.sh" "shell extra" "$@"
for f in project_data.csv printout.csv project_data_en.csv printout_en.csv printout.txt printout_en.txt \
    project_list.csv; do
    [ -f "$art/$f" ] || die "$art/$f is missing (the gui tests write it)"
done
need soffice
need_python uno python3-uno
make_work
/usr/bin/python3 "$root/tests/shell/lo_csv.py" "$work/office.json" \
    "$art/project_data.csv" ";" de-DE "$art/printout.csv" ";" de-DE \
    "$art/project_data_en.csv" "," en-US "$art/printout_en.csv" "," en-US

/usr/bin/python3 - "$art" "$root/data/beispiel2.kt4" "$work/office.json" <<'PY'
import csv
import json
import re
import sys

art, source, office = sys.argv[1], sys.argv[2], sys.argv[3]
DECIMAL = re.compile(r" *[+-]?[0-9]+\.[0-9]+([eE][+-]?[0-9]+)? *")
WHOLE = re.compile(r" *[+-]?[0-9]+ *")


def csv_rows(name, delimiter=";"):
    path = f"{art}/{name}"
    with open(path, "rb") as f:
        if not f.read(3) == b"\xef\xbb\xbf":
            sys.exit(f"shell extra: {name} has no UTF-8 byte-order mark")
    with open(path, encoding="utf-8-sig", newline="") as f:
        # a blank line is one empty field
        return [row or [""] for row in csv.reader(f, delimiter=delimiter, strict=True)]


def german(field):
    return field.replace(".", ",") if DECIMAL.fullmatch(field) else field


def text_lines(path, encoding):
    with open(path, encoding=encoding, newline="") as f:
        text = f.read()
    lines = text.split("\r\n")
    if lines and lines[-1] == "":
        lines.pop()
    return lines


def expect(name, got, want):
    if got != want:
        for k, (g, w) in enumerate(zip(got, want)):
            if g != w:
                sys.exit(f"shell extra: {name} row {k + 1}: {g!r} is not {w!r}")
        sys.exit(f"shell extra: {name} has {len(got)} rows, expected {len(want)}")
    print(f"shell extra: {name}: {len(got)} rows as expected")


project = [[line] for line in text_lines(source, "cp850")]
printout = [line.split("\t") for line in text_lines(f"{art}/printout.txt", "utf-8")]
printout_en = [line.split("\t") for line in text_lines(f"{art}/printout_en.txt", "utf-8")]
expect("project_data.csv", csv_rows("project_data.csv"), [[german(f) for f in row] for row in project])
expect("printout.csv", csv_rows("printout.csv"), [[german(f) for f in row] for row in printout])
expect("project_data_en.csv", csv_rows("project_data_en.csv", ","), project)
expect("printout_en.csv", csv_rows("printout_en.csv", ","), printout_en)

# the office's cells: every decimal and whole number of the source as that
# number, whatever the locale
with open(office, encoding="utf-8") as f:
    sheets = json.load(f)
for name, locale, rows in (("project_data.csv", "de-DE", project), ("printout.csv", "de-DE", printout),
                           ("project_data_en.csv", "en-US", project), ("printout_en.csv", "en-US", printout_en)):
    cells = sheets[f"{art}/{name} {locale}"]
    numbers = 0
    for r, row in enumerate(rows):
        for c, field in enumerate(row):
            if not (DECIMAL.fullmatch(field) or WHOLE.fullmatch(field)):
                continue
            got = cells[r][c] if r < len(cells) and c < len(cells[r]) else None
            want = float(field)
            if not isinstance(got, float) or abs(got - want) > 1e-12 * max(1.0, abs(want)):
                sys.exit(f"shell extra: {name} ({locale}) row {r + 1} column {c + 1}: "
                         f"the office reads {got!r} for {field!r}")
            numbers += 1
    if numbers < 50:
        sys.exit(f"shell extra: {name} has only {numbers} numbers")
    print(f"shell extra: {name} in the office ({locale}): {numbers} numbers as in the source")

listed = csv_rows("project_list.csv")
header = ["File", "Date y-m-d", "Vers.", "No.", "Name", "Name2", "Text1", "Text2", "Text3",
          "i0", "i sc", "d case", "b case", "P kW", "n in", "n out", "dH"]
if listed[0] != header:
    sys.exit(f"shell extra: project_list.csv header {listed[0]!r}")
if len(listed) < 2 or any(len(row) != 17 for row in listed):
    sys.exit("shell extra: project_list.csv rows without 17 cells")
print(f"shell extra: project_list.csv: header and {len(listed) - 1} rows of 17 cells")
PY
