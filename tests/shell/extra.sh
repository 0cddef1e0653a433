#!/usr/bin/env bash
# Peer check of the spreadsheet link: python3's csv module in strict mode
# reads the CSV files the window tests leave in BUILD_FOLDER/artifacts and
# compares them with their sources: the project data file, the printout's
# TXT file and the project list's 17 columns.
# Usage: extra.sh BUILD_FOLDER
set -euo pipefail
# shellcheck source=SCRIPTDIR/../common/step.sh
source "$(dirname "$0")/../common/step.sh" "shell extra" "$@"
for f in project_data.csv printout.csv printout.txt project_list.csv; do
    [ -f "$art/$f" ] || die "$art/$f is missing (the gui tests write it)"
done

/usr/bin/python3 - "$art" "$root/data/beispiel2.kt4" <<'PY'
import csv
import sys

art, source = sys.argv[1], sys.argv[2]


def csv_rows(name):
    path = f"{art}/{name}"
    with open(path, "rb") as f:
        if not f.read(3) == b"\xef\xbb\xbf":
            sys.exit(f"shell extra: {name} has no UTF-8 byte-order mark")
    with open(path, encoding="utf-8-sig", newline="") as f:
        # a blank line is one empty field
        return [row or [""] for row in csv.reader(f, delimiter=";", strict=True)]


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


expect("project_data.csv", csv_rows("project_data.csv"),
       [[line] for line in text_lines(source, "cp850")])
expect("printout.csv", csv_rows("printout.csv"),
       [line.split("\t") for line in text_lines(f"{art}/printout.txt", "utf-8")])

listed = csv_rows("project_list.csv")
header = ["File", "Date y-m-d", "Vers.", "No.", "Name", "Name2", "Text1", "Text2", "Text3",
          "i0", "i sc", "d case", "b case", "P kW", "n in", "n out", "dH"]
if listed[0] != header:
    sys.exit(f"shell extra: project_list.csv header {listed[0]!r}")
if len(listed) < 2 or any(len(row) != 17 for row in listed):
    sys.exit("shell extra: project_list.csv rows without 17 cells")
print(f"shell extra: project_list.csv: header and {len(listed) - 1} rows of 17 cells")
PY
