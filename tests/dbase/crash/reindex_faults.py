"""REINDEX of a stale index (a table grown without it) under strace's fault
injection: killed with SIGKILL at every write, flush and rename of the
file, and with a full disk (every
write from the n-th on failing with ENOSPC, and no free space reported at
all, error 227). Each time the index file is byte for byte the old one, or
the whole new one once the rebuild was put in place; a failed REINDEX says
so (exit status 1) and leaves the old file.

Then a key change (REPLACE of NAME in a shared area with an index on NAME
and one on LEFT(NAME,3)) whose record write, or its flush after the record
reached the file, fails with EIO, made once more as a user would: the
second try succeeds, every index holds each record once under its key,
and the record is found under its new name.

Usage: reindex_faults.py BUILD_FOLDER
"""
import os
import shutil
import subprocess
import sys
import tempfile

BUILD = os.path.abspath(sys.argv[1])  # the runs change into other folders
DRIVER = os.path.join(BUILD, "crash_driver")
NDXTOOL = os.path.join(BUILD, "tools", "ndxtool")
WRITES = "write,pwrite64,writev,pwritev,pwritev2"
KILLED_AT = WRITES + ",fsync,fdatasync,rename,renameat,renameat2"
failures = []


def fail(text):
    failures.append(text)
    print("  FAIL: " + text, flush=True)


def run(*args, cwd):
    subprocess.run(args, cwd=cwd, check=True, stdout=subprocess.DEVNULL)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def reindex(work, *inject):
    """ndxtool reindex under strace with the injection; its exit status
    (-9 when killed)."""
    strace = ["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + KILLED_AT + ",statfs"]
    for i in inject:
        strace += ["-e", "inject=" + i]
    r = subprocess.run(strace + [NDXTOOL, "reindex", "t.dbf", "t.ndx"], cwd=work,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    if r.returncode in (137, -9) or "killed by SIGKILL" in r.stderr:
        return -9
    return r.returncode


def replace_faults(work):
    run(DRIVER, "make", "r.dbf", "300", "0", cwd=work)
    run(NDXTOOL, "index", "r.dbf", "r1.ndx", "NAME", cwd=work)
    run(NDXTOOL, "index", "r.dbf", "r2.ndx", "LEFT(NAME,3)", cwd=work)
    names = ("r.dbf", "r1.ndx", "r2.ndx")
    saved = {n: read(os.path.join(work, n)) for n in names}
    for call in ("pwrite64", "fsync"):  # the record's write, its flush
        for n, data in saved.items():
            with open(os.path.join(work, n), "wb") as f:
                f.write(data)
        r = subprocess.run(["strace", "-f", "-qq", "-o", "/dev/null", "-P", "r.dbf", "-e", "trace=" + call,
                            "-e", "inject=%s:error=EIO:when=1" % call, NDXTOOL, "replace", "r.dbf", "150",
                            "Zwischen", "--flush", "r1.ndx", "r2.ndx"], cwd=work, stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, text=True)
        check = subprocess.run([NDXTOOL, "check", "r.dbf", "r1.ndx", "r2.ndx"], cwd=work,
                               stdout=subprocess.PIPE, text=True)
        seek = subprocess.run([NDXTOOL, "seek", "r.dbf", "r1.ndx", "--exact", "Zwischen"], cwd=work,
                              stdout=subprocess.PIPE, text=True)
        if r.stdout.split() != ["100", "0"] or check.returncode != 0 or seek.stdout != "150\n":
            fail("REPLACE with a failed %s, tried again: %s/%s %s" % (call, r.stdout.strip(), seek.stdout.strip(),
                                                                  check.stdout.strip()))
    print("  REPLACE: a failed record write and a failed flush, each tried again")


def main():
    with tempfile.TemporaryDirectory(prefix="kt4reindex.") as work:
        run(DRIVER, "make", "t.dbf", "20000", "0", cwd=work)
        run(NDXTOOL, "index", "t.dbf", "t.ndx", "NAME", cwd=work)
        run(NDXTOOL, "grow", "t.dbf", "200", "--seed", "5", cwd=work)  # the index is stale now
        shutil.copyfile(os.path.join(work, "t.ndx"), os.path.join(work, "old.ndx"))
        old = read(os.path.join(work, "t.ndx"))

        def restore():
            shutil.copyfile(os.path.join(work, "old.ndx"), os.path.join(work, "t.ndx"))

        if reindex(work) != 0:
            raise SystemExit("reindex_faults: a plain REINDEX failed")
        new = read(os.path.join(work, "t.ndx"))
        if new == old:
            raise SystemExit("reindex_faults: REINDEX changed nothing")
        # Killed at the n-th call of each call that writes, until a run ends.
        kills = {"old": 0, "new": 0}
        for call in KILLED_AT.split(","):
            for n in range(1, 10000):
                restore()
                status = reindex(work, "%s:signal=SIGKILL:when=%d" % (call, n))
                data = read(os.path.join(work, "t.ndx"))
                if status != -9:
                    if status != 0 or data != new:
                        fail("%s %d: a REINDEX that was not killed ended with %d" % (call, n, status))
                    break
                if data == old:
                    kills["old"] += 1
                elif data == new:
                    kills["new"] += 1
                else:
                    fail("killed at %s %d: neither the old nor the new index" % (call, n))
        # A full disk from the n-th write on, and no free space at all.
        refused = 0
        for n in range(1, 10000):
            restore()
            status = reindex(work, "%s:error=ENOSPC:when=%d+" % (WRITES, n))
            data = read(os.path.join(work, "t.ndx"))
            if status == 0:
                if data != new:
                    fail("full disk from write %d: REINDEX ended well with another index" % n)
                break
            refused += 1
            if data != old:
                fail("full disk from write %d: the old index was changed" % n)
        restore()
        if reindex(work, "statfs:retval=0") != 1 or read(os.path.join(work, "t.ndx")) != old:
            fail("no free space (227): REINDEX did not fail, or changed the old index")
        print("  REINDEX: %d kills left the old index, %d the new; %d full-disk runs failed "
              "and left it" % (kills["old"], kills["new"], refused))
        replace_faults(work)
    print("reindex faults: %d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
