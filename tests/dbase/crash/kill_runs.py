"""Kill -9 at random moments during the program's writers (crash_driver) and
check what is left on disk after every kill:

- PACK of 200,000 records: the table is byte for byte the old or the new one;
- a stream of exclusive appends: the header's count lags the whole records
  by at most 1,000; the next write (an exclusive PACK) makes it exact;
- a stream of shared appends (two processes): the count lags by at most one
  record; the next shared append and close make it exact, with the end mark;
- a project save: the file is the old or the new version;
- PACK of 3,000 records with memos and one to three indexes open (on NAME,
  on NUM UNIQUE whose keys repeat, on LEFT(NAME,3); 1,000 deleted): killed
  at random moments and, with all three, under strace at every rename,
  unlink and flush. Without a marker of an unfinished PACK, dbfread reads
  every record with its own memo; with one (a kill between putting the
  new files in place) the next USE finishes the PACK and sweeping stale
  temporaries first keeps the files it names. After that USE the table is
  the old one, the packed one with the old memo file, or the packed one
  with the packed memo file, every record with its own memo, and each
  index the old file, the new one or the old one marked out of date;
- APPEND FROM of 400 records into a shared table of 150 with an index on
  NAME and one on NUM UNIQUE (the NUMs repeat).

After each kill of these two, the next USE and SET INDEX of each index
alone Find every key the table holds: each Find finds the first record
holding the key or is refused with an error naming the index, never
another answer.

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

BUILD = os.path.abspath(sys.argv[1])  # the runs change into other folders
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


NDX = ("t.ndx", "u.ndx", "v.ndx")  # on NAME, NUM UNIQUE (NUMs repeat), LEFT(NAME,3)
OUT_OF_DATE = 0x4B434150  # page 0's check word XOR this: marked by a PACK


def marked(ndx):
    """The index with a PACK's mark on page 0 (the table's count before it)."""
    count = struct.unpack("<I", ndx[492:496])[0]
    return ndx[:488] + struct.pack("<II", ~count & 0xFFFFFFFF ^ OUT_OF_DATE, count) + ndx[496:]


def check_keys(table, indexes, what, finds):
    """After the next USE every Find of every key the table holds, through
    each index alone, finds the first record holding it or is refused with
    an error naming the index; counts them in finds."""
    r = subprocess.run([DRIVER, "check-keys", table, *indexes], stdout=subprocess.PIPE, text=True)
    lines = r.stdout.splitlines()
    last = lines[-1].split() if lines else []
    if r.returncode != 0 or len(last) != 6:
        fail("%s: check-keys: %s" % (what, r.stdout.strip()))
        return
    for name, number in zip(last[0::2], last[1::2]):
        finds[name] += int(number)
    if int(last[5]):
        fail("%s: %s wrong answers:\n    %s" % (what, last[5], "\n    ".join(lines[:-1])))


def check_memo_pack(work, versions, opened, what, seen, finds):
    """The state a killed PACK left (see the module text); counts it in seen."""
    t = os.path.join(work, "t.dbf")
    marker = os.path.join(work, ".kt4keep-t.dbf")
    named = []
    if os.path.exists(marker):
        seen["marker"] += 1
        if os.stat(marker).st_mode & 0o077:
            fail("%s: the marker is not this user's alone (mode %o)" % (what, os.stat(marker).st_mode & 0o777))
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
    for name in ("t.dbf", "t.dbt") + NDX:
        with open(os.path.join(work, name), "rb") as f:
            data = f.read()
        kinds = versions if name in opened or not name.endswith(".ndx") else {"old": versions["old"]}
        found = [k for k, v in kinds.items() if v.get(name) == data]
        if not found and name in opened and data == marked(versions["old"][name]):
            found = ["marked"]
        if not found:
            fail("%s: %s is none of the files a PACK leaves" % (what, name))
        state.append(found[0] if found else "?")
    seen[state[0] + "/" + state[1]] = seen.get(state[0] + "/" + state[1], 0) + 1
    seen["marked"] += "marked" in state
    check_keys(t, [os.path.join(work, n) for n in opened], what, finds)


def memo_pack_runs(work):
    names = ("t.dbf", "t.dbt") + NDX

    def base(n):  # the start copies under the same names: an index names its table
        return os.path.join(work, "base", n)

    os.mkdir(os.path.join(work, "base"))

    def restore():
        for n in os.listdir(work):
            if n.startswith(".kt4"):
                os.remove(os.path.join(work, n))
        for n in names:
            shutil.copyfile(base(n), os.path.join(work, n))

    def files():
        out = {}
        for n in names:
            with open(os.path.join(work, n), "rb") as f:
                out[n] = f.read()
        return out

    run("make-memo", base("t.dbf"), "3000", *[base(n) for n in NDX])
    restore()
    old = files()
    # the table packed before its memo file is: the old memo blocks
    run("pack", os.path.join(work, "t.dbf"))
    packed = dict(old, **{"t.dbf": files()["t.dbf"]})
    restore()
    p = start("pack-memo", os.path.join(work, "t.dbf"), *[os.path.join(work, n) for n in NDX])
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
    seen = {"marker": 0, "marked": 0}
    finds = {"right": 0, "refused": 0, "wrong": 0}
    for k in range(KILLS):
        restore()
        opened = NDX[:1 + k % 3]
        p = start("pack-memo", os.path.join(work, "t.dbf"), *[os.path.join(work, n) for n in opened])
        time.sleep(rng.uniform(0, duration * 1.2))
        kill(p)
        check_memo_pack(work, versions, opened, "memo PACK kill %d (%d indexes)" % (k, len(opened)), seen, finds)
    strace = 0
    for call in KILLED_AT.split(","):
        for n in range(1, 1000):
            restore()
            r = subprocess.run(["strace", "-f", "-qq", "-o", "/dev/null", "-e", "trace=" + KILLED_AT,
                                "-e", "inject=%s:signal=SIGKILL:when=%d" % (call, n),
                                DRIVER, "pack-memo", "t.dbf", *NDX], cwd=work,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
            if r.returncode not in (137, -9) and "killed by SIGKILL" not in r.stderr:
                break
            strace += 1
            check_memo_pack(work, versions, NDX, "memo PACK killed at %s %d" % (call, n), seen, finds)
    print("  PACK of 3000 records with memos and 1-3 indexes (%.0f ms): %d random kills, %d at a call; "
          "table/memo file after USE: %s; Finds of every key: %s"
          % (duration * 1000, KILLS, strace, ", ".join("%s %d" % kv for kv in sorted(seen.items())),
             ", ".join("%s %d" % kv for kv in finds.items())))


def append_from_runs(work):
    """APPEND FROM of 400 records into a shared table of 150 with an index on
    NAME and one on NUM UNIQUE (the NUMs repeat), killed at random moments: the
    indexes take each record's keys before the record is written, so after
    the next USE every Find answers right or is refused naming the index."""
    names = ("a.dbf", "a.ndx", "an.ndx")
    table, source = os.path.join(work, "a.dbf"), os.path.join(work, "s.dbf")
    indexes = [os.path.join(work, n) for n in names[1:]]

    def base(n):  # the start copies under the same names: an index names its table
        return os.path.join(work, "base", n)

    def restore():
        for n in names:
            shutil.copyfile(base(n), os.path.join(work, n))

    os.mkdir(os.path.join(work, "base"))
    run("make-from", base("a.dbf"), source, *[base(n) for n in names[1:]])
    duration = 1.0
    for _ in range(3):  # the quickest run: the first ones may wait for the disk
        restore()
        p = start("append-from", table, source, *indexes)
        t0 = time.monotonic()
        if p.stdout.readline() != b"done\n" or p.wait() != 0:
            raise RuntimeError("crash_driver append-from failed")
        duration = min(duration, time.monotonic() - t0)
    finds = {"right": 0, "refused": 0, "wrong": 0}
    counts = []
    for k in range(KILLS):
        restore()
        p = start("append-from", table, source, *indexes)
        time.sleep(rng.uniform(0, duration))
        kill(p)
        what = "APPEND FROM kill %d" % k
        counts.append(check_table(table, 1, what)[1] - 150)
        check_keys(table, indexes, what, finds)
    print("  APPEND FROM of 400 records into 150 with 2 indexes (%.1f ms): %d kills, %d of them after 1 to 399 "
          "records; Finds of every key: %s" % (duration * 1000, KILLS, sum(0 < c < 400 for c in counts),
                                               ", ".join("%s %d" % kv for kv in finds.items())))


def main():
    print("kill -9 runs: %d kills per stream, seed %d" % (KILLS, SEED), flush=True)
    t0 = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="kt4crash.") as work:
        for name, runner in (("memo", memo_pack_runs), ("from", append_from_runs), ("pack", pack_runs),
                             ("excl", lambda w: append_runs(w, False)),
                             ("shared", lambda w: append_runs(w, True)), ("save", save_runs)):
            folder = os.path.join(work, name)
            os.mkdir(folder)
            runner(folder)
    print("kill -9 runs: %.0f s, %d failures" % (time.monotonic() - t0, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
