#!/usr/bin/env bash
# The table browser's exports read back by independent readers: the HTML
# page by Python's html.parser (well formed, declared and encoded UTF-8, a
# header row and one row per record), the delimited text by Python's csv,
# both compared with the table as dbfread reads it. The browser test writes
# the three files into build-test/artifacts; they are made again here.
# Usage: extra_browser.sh BUILD_FOLDER
set -euo pipefail
# shellcheck source=SCRIPTDIR/../common/step.sh
source "$(dirname "$0")/../common/step.sh" extra_browser.sh "$@"

need_python dbfread python3-dbfread
cmake --build "$build" --target test_dbase_gui >/dev/null
QT_QPA_PLATFORM=offscreen "$build/test_dbase_gui" \
    --gtest_filter=BrowserExport.HtmlAndDelimitedExportsForTheReaders >/dev/null

/usr/bin/python3 - "$art/tdbf4_export.htm" "$art/tdbf4_export.txt" "$art/tdbf4_export.dbf" <<'EOF'
import csv, sys
from html.parser import HTMLParser
from dbfread import DBF

htm, txt, dbf = sys.argv[1:4]
fields = ["NAME", "TEXT", "DI", "OK", "DAY"]
table = DBF(dbf, encoding="cp850", load=True)
records = list(table.records) + list(table.deleted)
assert len(table.deleted) == 1, "one deleted record expected"
texts = sorted(r["TEXT"] for r in records)

VOID = {"meta", "hr", "br", "img", "input", "link"}

class Page(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack, self.rows, self.cell, self.charset = [], [], None, None
    def handle_starttag(self, tag, attrs):
        if tag == "meta":
            self.charset = dict(attrs).get("charset")
        if tag in VOID:
            return
        self.stack.append(tag)
        if tag == "tr":
            self.rows.append([])
        elif tag == "td":
            self.cell = ""
    def handle_endtag(self, tag):
        assert self.stack and self.stack[-1] == tag, f"</{tag}> closes <{self.stack[-1] if self.stack else None}>"
        self.stack.pop()
        if tag == "td":
            self.rows[-1].append(self.cell.strip())
            self.cell = None
    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data

raw = open(htm, "rb").read()
page = Page()
page.feed(raw.decode("utf-8"))  # strict: the file must be UTF-8
page.close()
assert not page.stack, f"unclosed elements {page.stack}"
assert page.charset and page.charset.lower() == "utf-8", "no charset declaration"
header, rows = page.rows[0], page.rows[1:]
assert header == fields, header
assert len(rows) == len(records), (len(rows), len(records))
assert all(len(r) == len(fields) for r in rows)
assert sorted(r[1] for r in rows) == texts, ([r[1] for r in rows], texts)
assert any("<b>&" in r[1] for r in rows) and any('"3/4"' in r[1] for r in rows)

with open(txt, newline="", encoding="cp1252") as f:
    body = f.read().rstrip("\x1a")  # the end-of-file mark of dBase text files
lines = [l for l in csv.reader(body.splitlines()) if l]
assert len(lines) == len(records), lines
assert all(len(l) == len(fields) for l in lines), lines
assert sorted(l[1] for l in lines) == texts, ([l[1] for l in lines], texts)
assert sorted(l[0] for l in lines) == sorted(r["NAME"] for r in records)
print(f"extra_browser: HTML and delimited export of {len(records)} records read back")
EOF
