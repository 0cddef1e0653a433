#!/usr/bin/python3
# Cross-checks of our NDX files with independent programs:
#   reader: index_dump (libdbd-xbase-perl) lists our character, numeric and
#           date indexes, built and after appends, in the order ndxtool
#           lists them, every record once, keys ascending;
#   writer: the office suite's dBase driver indexes a table (lo_ndx.py);
#           ndxtool lists its order, finds sampled keys, and its indexes
#           stay sound after four ndxtool churn runs; its index over
#           mixed-case text (keys as they are) is refused with 222 and left
#           byte for byte, and rebuilt finds every key.
# Usage: ndx_peers.py NDXTOOL WORK_FOLDER
import os
import random
import subprocess
import sys

import dbf

HERE = os.path.dirname(os.path.abspath(__file__))
TOOL, WORK = sys.argv[1], sys.argv[2]
failures = []


def run(*args, cwd=WORK):
    r = subprocess.run(args, cwd=cwd, capture_output=True, text=True)
    if r.returncode != 0:
        raise SystemExit("ndx_peers: %s failed (%d): %s%s" % (" ".join(args), r.returncode, r.stdout, r.stderr))
    return r.stdout


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what)
    if not ok:
        failures.append(what)


def numbers(text):
    return [int(x) for x in text.split()]


def dump(ndx):
    """index_dump's (key, recno) lines."""
    out = run("index_dump", "--tag=X", ndx)
    rows = []
    for line in out.splitlines():
        key, _, rec = line.rstrip().rpartition(" ")
        rows.append((key.strip(), int(rec)))
    return rows


def peer_reader():
    rng = random.Random(7)
    t = dbf.Table(os.path.join(WORK, "own.dbf"), "name C(12); num N(10,2); day D", codepage="cp850")
    t.open(dbf.READ_WRITE)
    for i in range(700):
        name = "".join(rng.choice("abcdefghij0123") for _ in range(rng.randint(1, 12)))
        t.append((name, rng.randint(-50000, 50000) / 100.0, dbf.Date(1990 + rng.randint(0, 35), rng.randint(1, 12), rng.randint(1, 28))))
    t.close()
    indexes = {"own_c.ndx": "NAME", "own_n.ndx": "NUM", "own_d.ndx": "DAY"}
    for ndx, expr in indexes.items():
        run(TOOL, "index", "own.dbf", ndx, expr)
    for stage in ("built", "grown"):
        if stage == "grown":
            run(TOOL, "grow", "own.dbf", "300", "--seed", "3", *indexes)
        count = 700 if stage == "built" else 1000
        for ndx, expr in indexes.items():
            rows = dump(ndx)
            ours = numbers(run(TOOL, "list", "own.dbf", ndx))
            recs = [r for _, r in rows]
            check(sorted(recs) == list(range(1, count + 1)), "index_dump lists every record once: %s %s" % (ndx, stage))
            check(recs == ours, "index_dump's order is ndxtool's: %s %s" % (ndx, stage))
            if expr == "NAME":
                keys = [k for k, _ in rows]
            else:
                keys = [float(k) for k, _ in rows]
            check(all(a <= b for a, b in zip(keys, keys[1:])), "index_dump's keys ascend: %s %s" % (ndx, stage))


def peer_writer():
    rng = random.Random(11)
    names = set()
    while len(names) < 400:
        names.add("".join(rng.choice("abcdefghijklmnopqrstuvwxyz0123456789") for _ in range(rng.randint(2, 10))))
    names = list(names)
    rng.shuffle(names)
    nums = [x / 100.0 for x in rng.sample(range(-10 ** 6, 10 ** 6), len(names))]
    t = dbf.Table(os.path.join(WORK, "peer.dbf"), "NAME C(10); NUM N(10,2)", codepage="cp850")
    t.open(dbf.READ_WRITE)
    for n, x in zip(names, nums):
        t.append((n, x))
    t.close()
    run("/usr/bin/python3", os.path.join(HERE, "lo_ndx.py"), WORK, "peer", "NAME", "NUM")
    by_name = [i + 1 for i in sorted(range(len(names)), key=lambda i: names[i])]
    by_num = [i + 1 for i in sorted(range(len(nums)), key=lambda i: nums[i])]
    check(numbers(run(TOOL, "list", "peer.dbf", "IXNAME.ndx")) == by_name, "the office's NAME index in key order")
    check(numbers(run(TOOL, "list", "peer.dbf", "IXNUM.ndx")) == by_num, "the office's NUM index in key order")
    sample = rng.sample(range(len(names)), 40)
    found = numbers(run(TOOL, "seek", "peer.dbf", "IXNAME.ndx", "--exact", *[names[i] for i in sample]))
    check(found == [i + 1 for i in sample], "ndxtool finds sampled keys of the office's index")
    found = numbers(run(TOOL, "seek", "peer.dbf", "IXNUM.ndx", *["%.2f" % nums[i] for i in sample]))
    check(found == [i + 1 for i in sample], "ndxtool finds sampled numbers of the office's index")
    procs = [subprocess.Popen([TOOL, "churn", "peer.dbf", "--ops", "300", "--seed", str(s), "IXNAME.ndx", "IXNUM.ndx"],
                              cwd=WORK, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True) for s in range(1, 5)]
    codes = [p.wait() for p in procs]
    check(codes == [0, 0, 0, 0], "four churn runs on the office's indexes end well")
    r = subprocess.run([TOOL, "check", "peer.dbf", "IXNAME.ndx", "IXNUM.ndx"], cwd=WORK, capture_output=True, text=True)
    check(r.returncode == 0, "the office's indexes are sound after the churn " + r.stdout.strip())
    check(not os.path.exists(os.path.join(WORK, "peer.@S@")), "no semaphore file is left")


def peer_unfolded():
    folder = os.path.join(WORK, "mixed")
    os.mkdir(folder)
    names = ["M\u00fcller", "abc", "MUELLER", "Zed"]
    t = dbf.Table(os.path.join(folder, "mixed.dbf"), "NAME C(10)", codepage="cp850")
    t.open(dbf.READ_WRITE)
    for n in names:
        t.append((n,))
    t.close()
    run("/usr/bin/python3", os.path.join(HERE, "lo_ndx.py"), folder, "mixed", "NAME")
    ndx = os.path.join(folder, "IXNAME.ndx")
    with open(ndx, "rb") as f:
        before = f.read()
    r = subprocess.run([TOOL, "list", "mixed.dbf", "IXNAME.ndx"], cwd=folder, capture_output=True, text=True)
    check(r.returncode == 1 and "222" in r.stderr,
          "the office's index over mixed-case text is refused with 222: " + r.stderr.strip())
    with open(ndx, "rb") as f:
        check(f.read() == before, "the refused index is left byte for byte")
    run(TOOL, "index", "mixed.dbf", "IXNAME.ndx", "NAME", cwd=folder)
    found = numbers(run(TOOL, "seek", "mixed.dbf", "IXNAME.ndx", "--exact", *names, cwd=folder))
    check(found == [1, 2, 1, 4], "rebuilt, every key is found (MUELLER as the first Mueller) %s" % found)


peer_reader()
peer_writer()
peer_unfolded()
if failures:
    raise SystemExit("ndx_peers: %d check(s) failed" % len(failures))
print("ndx_peers: all checks passed")
