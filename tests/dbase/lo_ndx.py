#!/usr/bin/python3
# Makes NDX files with the office suite's dBase driver (a peer NDX writer):
#   lo_ndx.py FOLDER TABLE COLUMN...
# indexes each COLUMN of FOLDER/TABLE.dbf into FOLDER/IX<COLUMN>.ndx.
# Runs a headless office with its own HOME and profile in a temporary
# folder and ends it again.
import os
import shutil
import subprocess
import sys
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def main():
    folder, table, columns = os.path.abspath(sys.argv[1]), sys.argv[2], sys.argv[3:]
    home = tempfile.mkdtemp(prefix="kt4lo")
    pipe = "kt4lo%d" % os.getpid()
    env = dict(os.environ, HOME=home, TMPDIR=home)  # its pipe socket too
    office = subprocess.Popen(
        ["soffice", "--headless", "--invisible", "--nologo", "--norestore", "--nodefault",
         "-env:UserInstallation=file://" + home + "/profile",
         "--accept=pipe,name=%s;urp;StarOffice.ComponentContext" % pipe],
        env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        ctx = None
        for _ in range(300):
            try:
                ctx = resolver.resolve(
                    "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                if office.poll() is not None:
                    raise SystemExit("lo_ndx: the office ended at start")
                time.sleep(0.1)
        if ctx is None:
            raise SystemExit("lo_ndx: no connection to the office")
        manager = ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.sdbc.DriverManager", ctx)
        url = "sdbc:dbase:" + uno.systemPathToFileUrl(folder)
        info = (prop("CharSet", "IBM850"),)
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
        try:
            ctx.ServiceManager.createInstanceWithContext(
                "com.sun.star.frame.Desktop", ctx).terminate()
        except Exception:
            pass
    finally:
        try:
            office.wait(timeout=20)
        except subprocess.TimeoutExpired:
            office.kill()
            office.wait()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
