"""Kill -9 at random moments during the program's writers (crash_driver) and
check what is left on disk after every kill:

- PACK of 200,000 records: the table is byte for byte the old or the new one;
- a stream of exclusive appends: the header's count lags the whole records
  by at most 1,000; the next write (an exclusive PACK) makes it exact;
- a stream of shared appends (two processes): the count lags by at most one
  record; the next shared append and close make it exact, with the end mark;
- a project save: the file is the old or the new version;
- PACK of 3,000 records with memos and an index (1,000 deleted): killed at
  random moments and, under strace, at every rename, unlink and flush.
  Without a marker of an unfinished PACK, dbfread reads every record with
  its own memo; with one (a kill between putting the new files in place)
  the next USE finishes the PACK and sweeping stale temporaries first
  keeps the files it names. After that USE the table is the old one, the
  packed one with the old memo file, or the packed one with the packed
  memo file, every record with its own memo, and the index is the old or
  the new file.

Every table is read whole by python3-dbfread after every kill; temporaries
of killed writers are gone once the next write has run (at most the last
two killed writers' are there after a kill, none after a write that ends).

Usage: kill_runs.py BUILD_FOLDER  (KT4_CRASH_KILLS per stream, default 50;
KT4_CRASH_SEED for a repeatable run)
"""
import os
import random
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

import dbfread

KILLED_AT = "rename,renameat,renameat2,unlink,unlinkat,fsync,fdatasync"

BUILD = sys.argv[1]
DRIVER = os.path.join(BUILD, "crash_driver")
KILLS = int(os.environ.get("KT4_CRASH_KILLS", "50"))
SEED = int(os.environ.get("KT4_CRASH_SEED", str(int(time.time()))))
rng = random.Random(SEED)
failures = []


def fail(text):
    failures.append(text)
    print("  FAIL: " + text, flush=True)


def run(*args):
    subprocess.run([DRIVER, *args], check=True, stdout=subprocess.DEVNULL)


def start(*args):
    p = subprocess.Popen([DRIVER, *args], stdout=subprocess.PIPE)
    if p.stdout.readline() != b"go\n":
        p.kill()
        p.wait()
        raise RuntimeError("crash_driver %s did not start" % " ".join(args))
    return p


def kill(p):
    os.kill(p.pid, signal.SIGKILL)
    p.wait()
    return p.pid


KNOWN = {"base.dbf", "small.dbf"}  # the copies the runs start from


def check_temporaries(folder, target, what, limit=2):
    """Files besides the target and the start copies: at most limit, all
    temporaries of the writer for the target."""
    temps = sorted(n for n in os.listdir(folder) if n != target and n not in KNOWN)
    if len(temps) > limit or any(not (t.startswith(".kt4tmp-") and t.endswith("-" + target))
                                 for t in temps):
        fail("%s: temporaries %s" % (what, temps))
    return len(temps)


def check_table(path, lag, what):
    """The header agrees with the whole records (the count lagging by at most
    lag), the file holds nothing else, and dbfread reads every record (it
    reads up to the end of the file or the end mark, whatever the count)."""
    with open(path, "rb") as f:
        data = f.read()
    count, hlen, reclen = struct.unpack("<IHH", data[4:12])
    whole, rest = divmod(len(data) - hlen, reclen)
    if not (count <= whole <= count + lag):
        fail("%s: header count %d, whole records %d" % (what, count, whole))
    # A write that crosses a page of the file can be cut by SIGKILL where
    # the page ends (the kernel checks for a fatal signal between pages):
    # such a tail lies beyond the count and the next append overwrites it.
    cut = rest > 1 and len(data) % 4096 == 0
    if not cut and (rest not in (0, 1) or (rest == 1 and data[-1] != 0x1A)):
        fail("%s: %d bytes after the last whole record (file of %d bytes)" % (what, rest, len(data)))
    if cut:
        path = path + ".whole"
        with open(path, "wb") as f:
            f.write(data[:len(data) - rest])
    table = dbfread.DBF(path, load=False, char_decode_errors="strict")
    read = 0
    for records in (table, table.deleted):
        for r in records:
            if not r["NAME"] or not isinstance(r["NUM"], int):
                fail("%s: bad record %r" % (what, r))
                break
            read += 1
    if cut:
        os.remove(path)
    if read != whole:
        fail("%s: dbfread read %d of %d records" % (what, read, whole))
    return count, whole


def pack_runs(work):
    base, target = os.path.join(work, "base.dbf"), os.path.join(work, "t.dbf")
    run("make", base, "200000")
    shutil.copyfile(base, target)
    p = start("pack", target)
    t0 = time.monotonic()
    p.wait()
    duration = time.monotonic() - t0
    with open(base, "rb") as f:
        old = f.read()
    with open(target, "rb") as f:
        new = f.read()
    check_table(base, 0, "old table")
    check_table(target, 0, "packed table")
    seen = {"old": 0, "new": 0, "temps": 0}
    for k in range(KILLS):
        shutil.copyfile(base, target)
        p = start("pack", target)
        time.sleep(rng.uniform(0, duration * 1.5))
        kill(p)
        with open(target, "rb") as f:
            data = f.read()
        what = "PACK kill %d" % k
        if data == old:
            seen["old"] += 1
        elif data == new:
            seen["new"] += 1
        else:
            fail("%s: neither the old nor the new table (%d bytes)" % (what, len(data)))
        check_table(target, 0, what)
        seen["temps"] += check_temporaries(work, "t.dbf", what) > 0
    shutil.copyfile(base, target)
    run("pack", target)
    check_temporaries(work, "t.dbf", "after a whole PACK", 0)
    print("  PACK of 200000 records (%.0f ms): %d kills left the old table, %d the new, "
          "%d a temporary" % (duration * 1000, seen["old"], seen["new"], seen["temps"]))


def append_runs(work, shared):
    small, target = os.path.join(work, "small.dbf"), os.path.join(work, "a.dbf")
    run("make", small, "1000", "0")
    lags = []
    for k in range(KILLS):
        shutil.copyfile(small, target)
        what = "%s append kill %d" % ("shared" if shared else "exclusive", k)
        if shared:
            first, second = start("append", target, "shared"), start("append", target, "shared")
            time.sleep(rng.uniform(0, 0.25))
            kill(first)
            time.sleep(0.01)
            kill(second)
        else:
            p = start("append", target, "excl")
            time.sleep(rng.uniform(0, 0.25))
            kill(p)
        count, whole = check_table(target, 1 if shared else 1000, what)
        lags.append(whole - count)
        # The next write makes the count exact.
        run("append-one" if shared else "repair", target)
        count, whole = check_table(target, 0, what + ", next write")
        if shared and count == whole:
            with open(target, "rb") as f:
                f.seek(-1, os.SEEK_END)
                if f.read(1) != b"\x1a":
                    fail(what + ": no end mark after the close")
        check_temporaries(work, "a.dbf", what, 0)
    print("  %s appends: count lagged by at most %d records (%d kills with a lag)"
          % ("shared" if shared else "exclusive", max(lags), sum(1 for x in lags if x)))


def save_runs(work):
    versions = []
    for v in "AB":
        path = os.path.join(work, "ref%s.kt4" % v)
        run("save-once", path, v)
        with open(path, "rb") as f:
            versions.append(f.read())
        os.remove(path)
    target = os.path.join(work, "p.kt4")
    run("save-once", target, "A")
    seen = {"A": 0, "B": 0, "temps": 0}
    for k in range(KILLS):
        p = start("save", target)
        time.sleep(rng.uniform(0, 0.03))
        kill(p)
        with open(target, "rb") as f:
            data = f.read()
        what = "save kill %d" % k
        if data in versions:
            seen["AB"[versions.index(data)]] += 1
        else:
            fail("%s: neither version (%d bytes)" % (what, len(data)))
        seen["temps"] += check_temporaries(work, "p.kt4", what) > 0
    run("save-once", target, "B")
    check_temporaries(work, "p.kt4", "after a whole save", 0)
    print("  project save: %d kills left version A, %d version B, %d a temporary"
          % (seen["A"], seen["B"], seen["temps"]))


def memo_view(path):
    """(records, records whose memo is not their own) as dbfread reads them;
    (-1, -1) when it cannot read the table."""
    try:
        table = dbfread.DBF(path, load=False, char_decode_errors="strict")
        read = bad = 0
        for records in (table, table.deleted):
            for r in records:
                read += 1
                bad += not (r["NOTE"] or "").startswith(r["NAME"] + ":")
        return read, bad
    except Exception:
        return -1, -1


def check_memo_pack(work, versions, what, seen):
    """The state a killed PACK left (see the module text); counts it in seen."""
    t = os.path.join(work, "t.dbf")
    marker = os.path.join(work, ".kt4keep-t.dbf")
    named = []
    if os.path.exists(marker):
        seen["marker"] += 1
        with open(marker) as f:
            named = [line.split("\t")[:2] for line in f.read().splitlines()]
    else:
        read, bad = memo_view(t)
        if read < 0 or bad:
            fail("%s: no marker, and dbfread reads %d records, %d with another's memo" % (what, read, bad))
    present = [temp for temp, _ in named if os.path.exists(os.path.join(work, temp))]
    subprocess.run([DRIVER, "sweep", work], check=True)
    for temp in present:
        if not os.path.exists(os.path.join(work, temp)):
            fail("%s: the sweep removed %s, which the marker names" % (what, temp))
    r = subprocess.run([DRIVER, "check-memo", t], stdout=subprocess.PIPE, text=True)
    if r.returncode != 0:
        fail("%s: USE after the kill: %s" % (what, r.stdout.strip()))
        return
    count = int(r.stdout)
    read, bad = memo_view(t)
    if os.path.exists(marker) or read != count or bad:
        fail("%s: after USE, dbfread reads %d of %d records, %d with another's memo" % (what, read, count, bad))
    state = []
    for name in ("t.dbf", "t.dbt", "t.ndx"):
        with open(os.path.join(work, name), "rb") as f:
            data = f.read()
        found = [k for k, v in versions.items() if v.get(name) == data]
        if not found:
            fail("%s: %s is none of the files a PACK leaves" % (what, name))
        state.append(found[0] if found else "?")
    seen[state[0] + "/" + state[1]] = seen.get(state[0] + "/" + state[1], 0) + 1


def memo_pack_runs(work):
    names = ("t.dbf", "t.dbt", "t.ndx")

    def restore():
        for n in os.listdir(work):
            if n.startswith(".kt4"):
                os.remove(os.path.join(work, n))
        for n in names:
            shutil.copyfile(os.path.join(work, "b" + n[1:]), os.path.join(work, n))

    def files():
        out = {}
        for n in names:
            with open(os.path.join(work, n), "rb") as f:
                out[n] = f.read()
        return out

    run("make-memo", os.path.join(work, "b.dbf"), "3000", os.path.join(work, "b.ndx"))
    restore()
    old = files()
    # the table packed before its memo file is: the old memo blocks
    run("pack", os.path.join(work, "t.dbf"))
    packed = dict(old, **{"t.dbf": files()["t.dbf"]})
    restore()
    p = start("pack-memo", os.path.join(work, "t.dbf"), os.path.join(work, "t.ndx"))
    t0 = time.monotonic()
    if p.wait() != 0:
        raise RuntimeError("crash_driver pack-memo failed")
    duration = time.monotonic() - t0
    new = files()
    versions = {"old": old, "new": new, "packed": packed}
    left = [n for n in os.listdir(work) if n.startswith(".kt4")]
    if left or new["t.dbf"] in (old["t.dbf"], packed["t.dbf"]) or new["t.dbt"] == old["t.dbt"]:
        fail("a whole PACK with memos: %s left, or a file unchanged" % left)
        return
    seen = {"marker": 0}
    for k in range(KILLS):
        restore()
        p = start("pack-memo", os.path.join(work, "t.dbf"), os.path.join(work, "t.ndx"))
        time.sleep(rng.uniform(0, duration * 1.2))
        kill(p)
        check_memo_pack(work, versions, "memo PACK kill %d" % k, seen)
    strace = 0
    for call in KILLED_AT.split(","):
        for n in range(1, 1000):
            restore()
            r = subprocess.run(["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + KILLED_AT,
                                "-e", "inject=%s:signal=SIGKILL:when=%d" % (call, n),
                                DRIVER, "pack-memo", "t.dbf", "t.ndx"], cwd=work,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
            if r.returncode not in (137, -9) and "killed by SIGKILL" not in r.stderr:
                break
            strace += 1
            check_memo_pack(work, versions, "memo PACK killed at %s %d" % (call, n), seen)
    print("  PACK of 3000 records with memos (%.0f ms): %d random kills, %d at a call; "
          "table/memo file after USE: %s" % (duration * 1000, KILLS, strace,
                                              ", ".join("%s %d" % kv for kv in sorted(seen.items()))))


def main():
    print("kill -9 runs: %d kills per stream, seed %d" % (KILLS, SEED), flush=True)
    t0 = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="kt4crash.") as work:
        for name, runner in (("memo", memo_pack_runs), ("pack", pack_runs), ("excl", lambda w: append_runs(w, False)),
                             ("shared", lambda w: append_runs(w, True)), ("save", save_runs)):
            folder = os.path.join(work, name)
            os.mkdir(folder)
            runner(folder)
    print("kill -9 runs: %.0f s, %d failures" % (time.monotonic() - t0, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
