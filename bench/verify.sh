#!/usr/bin/env bash
# The full check of an installed game's files against xxhsum and md5sum over the same
# files, and what recording the files' digests adds to an extraction.
# Makes the extraction benchmark's tree (a few thousand small files, the rest in files of
# 64 KiB to 8 MiB, incompressible and compressible content) at each size, records its
# manifest (our XXH3-128 of every file, compared with what "xxhsum -H2" prints for it: a
# different digest stops the benchmark), writes the check files of "xxhsum -H2" and
# "md5sum", then times, interleaved with the order alternating, on a warm page cache:
#   ours      verify_bench verify (the launcher's full check: two lanes where there are two cores)
#   xxhsum    xxhsum -c over the same files (XXH128)
#   md5sum    md5sum -c over the same files
# Every run must report the tree intact. Then one zip of the first tree is extracted
# with and without the digest recording, interleaved, and the CPU medians compared.
# Prints medians and spreads (min..max) of wall and CPU seconds and the median ratios of
# the runs paired in time (lower is better).
# Usage: bench/verify.sh [build dir] [sizes in MB, default "100 1024"] [runs, default 5]
#        bench/verify.sh --quick [build dir]     (a smoke run: 24 MB, 2 runs)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = --quick ]; then
    BUILD=${2:-$ROOT/build}
    SIZES=24
    RUNS=2
else
    BUILD=${1:-$ROOT/build}
    SIZES=${2:-100 1024}
    RUNS=${3:-5}
fi
BENCH=$BUILD/bench/verify_bench
[ -x "$BENCH" ] || { echo "build the verify_bench target first ($BENCH)"; exit 1; }
for tool in xxhsum md5sum 7zz; do command -v $tool >/dev/null || { echo "$tool is missing"; exit 1; }; done

WORK=$(mktemp -d "${TMPDIR:-/var/tmp}/verify-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), sizes $SIZES MB, $RUNS runs"

python3 - "$BENCH" "$WORK" "$RUNS" $SIZES <<'PY'
import os, random, shutil, statistics, subprocess, sys, tempfile, time

bench, work, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
sizes = [int(s) for s in sys.argv[4:]]

def make_tree(tree, size_mb):
    # The extraction benchmark's tree (bench/extract.sh), same seed and proportions.
    rng = random.Random(7)
    total, made = size_mb * 1024 * 1024, 0
    def put(rel, data):
        nonlocal made
        path = os.path.join(tree, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        made += len(data)
    words = ["".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9))).encode()
             for _ in range(4000)]
    def text(n):
        parts, size = [], 0
        while size < n:
            line = b" ".join(rng.choices(words, k=10)) + b" %d\n" % rng.getrandbits(30)
            parts.append(line)
            size += len(line)
        return b"".join(parts)[:n]
    blob = os.urandom
    for i in range(min(5000, max(400, size_mb * 40))):
        n = rng.randint(200, 12 * 1024)
        d = "assets/%02d/%02d" % (i % 23, (i // 23) % 9)
        put("%s/s%05d.%s" % (d, i, "cfg" if i % 3 else "dat"), text(n) if i % 3 else blob(n))
    j = 0
    while made < total:
        n = rng.choice([64, 256, 1024, 3072, 8192]) * 1024 + rng.randint(0, 4096)
        kind = j % 5
        put("data/%02d/f%04d.%s" % (j % 17, j, ("pak", "ogg", "b64", "lua", "csv")[kind]),
            blob(n) if kind in (0, 1, 2) else text(n))
        j += 1
    return made

def timed(cmd, cwd=None):
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    err = proc.stderr.read().decode(errors="replace")
    proc.stderr.close()
    if os.waitstatus_to_exitcode(status) != 0:
        print("FAILED: %s reported the tree not intact or failed\n%s" % (" ".join(cmd[:2]), err[-2000:]))
        sys.exit(1)
    return wall, usage.ru_utime + usage.ru_stime

def spread(values):
    return "%.2f (%.2f..%.2f)" % (statistics.median(values), min(values), max(values))

def compare(cases, reference, prepare=None):
    samples = {name: [] for name, _, _ in cases}
    for r in range(runs):
        order = cases if r % 2 == 0 else list(reversed(cases))
        for name, cmd, cwd in order:
            if prepare:
                prepare()
            samples[name].append(timed(cmd, cwd))
    ref = samples[reference]
    for name, _, _ in cases:
        s = samples[name]
        wall = statistics.median(a[0] / b[0] for a, b in zip(s, ref))
        cpu = statistics.median(a[1] / b[1] for a, b in zip(s, ref))
        print("  %-10s wall %-22s cpu %-22s  / %s: wall %.2f cpu %.2f"
              % (name, spread([x[0] for x in s]), spread([x[1] for x in s]), reference, wall, cpu))
    sys.stdout.flush()

made_of = {}
for size in sizes:
    tree = os.path.join(work, "tree%d" % size)
    made = made_of[size] = make_tree(tree, size)
    manifest = os.path.join(work, "tree%d.manifest" % size)
    ours = subprocess.run([bench, "record", tree, manifest], check=True, capture_output=True).stdout.decode()
    files = sorted(line.split("  ", 1)[1] for line in ours.splitlines())
    with open(os.path.join(work, "list"), "w") as f:
        f.write("\n".join(files) + "\n")
    xxh = subprocess.run(["xargs", "-d", "\\n", "xxhsum", "-H2"], cwd=tree, check=True, capture_output=True,
                         stdin=open(os.path.join(work, "list"))).stdout.decode()
    md5 = subprocess.run(["xargs", "-d", "\\n", "md5sum"], cwd=tree, check=True, capture_output=True,
                         stdin=open(os.path.join(work, "list"))).stdout.decode()
    if sorted(ours.splitlines()) != sorted(xxh.splitlines()):
        print("FAILED: our XXH3-128 digests differ from xxhsum -H2's")
        sys.exit(1)
    for name, text in (("xxh", xxh), ("md5", md5)):
        with open(os.path.join(work, "tree%d.%s" % (size, name)), "w") as f:
            f.write(text)
    print("tree: %d bytes in %d files; our digests equal xxhsum -H2's" % (made, len(files)))
    compare([("ours", [bench, "verify", tree, manifest], None),
             ("xxhsum", ["xxhsum", "-c", "-q", os.path.join(work, "tree%d.xxh" % size)], tree),
             ("md5sum", ["md5sum", "-c", "--quiet", os.path.join(work, "tree%d.md5" % size)], tree)], "xxhsum")
    print("  goal: ours wall <= 1.10 x xxhsum")

# The digest recording's share of an extraction: the first tree as one zip.
tree = os.path.join(work, "tree%d" % sizes[0])
archive = os.path.join(work, "tree.zip")
subprocess.run(["7zz", "a", "-tzip", "-mx=1", "-bd", "-bso0", "-bsp0", archive, "."], cwd=tree, check=True)
# Written to memory where there is room: the drive's write-back would swamp the figure.
shm = "/dev/shm" if os.path.isdir("/dev/shm") and shutil.disk_usage("/dev/shm").free > 4 * made_of[sizes[0]] else work
out = os.path.join(tempfile.mkdtemp(dir=shm), "out")
def fresh():
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
print("extraction of a %d MB zip into %s:" % (sizes[0], shm))
compare([("recording", [bench, "extract", archive, out, "--record"], None),
         ("plain", [bench, "extract", archive, out, "--plain"], None)], "plain", fresh)
print("  goal: recording cpu <= 1.05 x plain")
shutil.rmtree(os.path.dirname(out), ignore_errors=True)
print("medians of %d interleaved runs; load after: %s" % (runs, " ".join(open("/proc/loadavg").read().split()[:3])))
PY
