# The office suite for the peer checks, driven from Python (python3-uno):
#   with office.started("name") as ctx: ...
# runs a headless office with its own HOME and profile in a temporary
# folder, yields its component context, and ends it again (terminated,
# killed when it does not end) with its folder.
import contextlib
import os
import shutil
import subprocess
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def _connect(pipe, office, name):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(300):
        try:
            return resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
        except Exception:
            if office.poll() is not None:
                raise SystemExit("%s: the office ended at start" % name)
            time.sleep(0.1)
    raise SystemExit("%s: no connection to the office" % name)


@contextlib.contextmanager
def started(name):
    home = tempfile.mkdtemp(prefix="kt4lo")
    pipe = "kt4lo%d" % os.getpid()
    env = dict(os.environ, HOME=home, TMPDIR=home)  # its pipe socket too
    office = subprocess.Popen(
        ["soffice", "--headless", "--invisible", "--nologo", "--norestore", "--nodefault",
         "-env:UserInstallation=file://" + home + "/profile",
         "--accept=pipe,name=%s;urp;StarOffice.ComponentContext" % pipe],
        env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        ctx = _connect(pipe, office, name)
        yield ctx
        try:
            ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx).terminate()
        except Exception:
            pass  # the bridge goes with the office
    finally:
        try:
            office.wait(timeout=30)
        except subprocess.TimeoutExpired:
            office.kill()
            office.wait()
        shutil.rmtree(home, ignore_errors=True)
