#!/usr/bin/python3
# Reads CSV files in the office suite's spreadsheet, as a user of the given
# locale opens them, and writes what its cells hold as JSON: under
# "FILE LOCALE" the rows, each cell a number (a JSON number) or a text (a
# JSON string).
#   lo_csv.py OUT.json FILE SEPARATOR LOCALE [FILE SEPARATOR LOCALE ...]
# LOCALE is de-DE or en-US.
import json
import os
import sys

import uno

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
import office  # noqa: E402

LANGUAGE_IDS = {"de-DE": 1031, "en-US": 1033}


def cells(desktop, path, separator, locale):
    # separator, text delimiter ", UTF-8, from line 1, standard columns, the
    # locale's number recognition
    options = "%d,34,76,1,,%d" % (ord(separator), LANGUAGE_IDS[locale])
    doc = desktop.loadComponentFromURL(
        uno.systemPathToFileUrl(os.path.abspath(path)), "_blank", 0,
        (office.prop("FilterName", "Text - txt - csv (StarCalc)"), office.prop("FilterOptions", options),
         office.prop("Hidden", True)))
    try:
        sheet = doc.Sheets.getByIndex(0)
        cursor = sheet.createCursor()
        cursor.gotoEndOfUsedArea(False)
        end = cursor.getRangeAddress()
        data = sheet.getCellRangeByPosition(0, 0, end.EndColumn, end.EndRow).getDataArray()
        return [list(row) for row in data]
    finally:
        doc.close(True)


def main():
    out, jobs = sys.argv[1], sys.argv[2:]
    if not jobs or len(jobs) % 3:
        raise SystemExit("usage: lo_csv.py OUT.json FILE SEPARATOR LOCALE ...")
    with office.started("lo_csv") as ctx:
        desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
        result = {}
        for k in range(0, len(jobs), 3):
            path, separator, locale = jobs[k:k + 3]
            result[path + " " + locale] = cells(desktop, path, separator, locale)
    with open(out, "w", encoding="utf-8") as f:
        json.dump(result, f, ensure_ascii=False)


main()
