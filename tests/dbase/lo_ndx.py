#!/usr/bin/python3
# Makes NDX files with the office suite's dBase driver (a peer NDX writer):
#   lo_ndx.py FOLDER TABLE COLUMN...
# indexes each COLUMN of FOLDER/TABLE.dbf into FOLDER/IX<COLUMN>.ndx.
# Runs a headless office with its own HOME and profile in a temporary
# folder and ends it again.
import os
import sys

import uno

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
import office  # noqa: E402


def main():
    folder, table, columns = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3:]
    with office.started("lo_ndx") as ctx:
        manager = ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.sdbc.DriverManager", ctx)
        url = "sdbc:dbase:" + uno.systemPathToFileUrl(folder)
        info = (office.prop("CharSet", "IBM850"),)
        driver = manager.getDriverByURL(url)
        conn = driver.connect(url, info)
        definition = driver.getDataDefinitionByConnection(conn)
        tab = definition.getTables().getByName(table)
        for col in columns:
            indexes = tab.getIndexes()
            desc = indexes.createDataDescriptor()
            desc.setPropertyValue("Name", "IX" + col)
            desc.setPropertyValue("IsUnique", False)
            cols = desc.getColumns()
            cd = cols.createDataDescriptor()
            cd.setPropertyValue("Name", col)
            cols.appendByDescriptor(cd)
            indexes.appendByDescriptor(desc)
        conn.close()


if __name__ == "__main__":
    main()
