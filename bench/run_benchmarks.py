#!/usr/bin/env python3
"""Runs every benchmark and prints one table of figures against their targets.

    python3 bench/run_benchmarks.py [--brief] [build/bin]

--brief runs fewer repetitions (as CI does, so the benchmarks cannot rot);
the table is the same. Exit status 1 when a target is missed.
"""
import json
import os
import random
import subprocess
import sys
import tempfile
import time

brief = "--brief" in sys.argv
args = [a for a in sys.argv[1:] if a != "--brief"]
bin_dir = args[0] if args else "build/bin"
here = os.path.dirname(os.path.abspath(__file__))
runtime = tempfile.mkdtemp()
os.chmod(runtime, 0o700)
env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime)
rows = []  # (figure, measured, target, ok)


def quotes():
    out = subprocess.run(
        [os.path.join(bin_dir, "quote_bench"), "--benchmark_format=json",
         f"--benchmark_min_time={0.05 if brief else 0.5}"],
        check=True, capture_output=True, text=True, env=env).stdout
    times = {b["name"]: b["cpu_time"] for b in json.loads(out)["benchmarks"]}
    bare = times["BareRead"]
    for name in ("YoupackFromFile", "CatFromFile", "LetterMailFromFile", "BookParcelFromFile"):
        ratio = times[name] / bare
        rows.append((f"{name}: complete quote / bare read ({bare / 1000:.1f} us)",
                     f"{times[name] / 1000:.1f} us = {ratio:.2f} x", "<= 2 x", ratio <= 2))


def damaged_tariffs():
    # One line of 1, 4 and 16 MiB of one byte, or a table of lines that are
    # no entries: read, quoted, checked and opened for editing. Linear work costs the same per MiB at every size
    # (a little more once the file no longer fits the cache); work quadratic
    # in a line's length would cost 16 times as much per MiB at 16 MiB.
    out = subprocess.run(
        [os.path.join(bin_dir, "tariff_scan_bench"), "--benchmark_format=json",
         f"--benchmark_min_time={0.01 if brief else 0.2}"],
        check=True, capture_output=True, text=True, env=env).stdout
    per_mib = {}
    for b in json.loads(out)["benchmarks"]:
        mib = int(b["name"].split("/")[2])
        per_mib.setdefault(b["label"], {})[mib] = b["cpu_time"] / mib  # ms per MiB
    for label, cost in per_mib.items():
        growth = cost[16] / cost[1]
        rows.append((f"damaged tariff, {label}: ms per MiB at 1 / 4 / 16 MiB",
                     f"{cost[1]:.2f} / {cost[4]:.2f} / {cost[16]:.2f} = {growth:.1f} x",
                     "<= 8 x", growth <= 8))


def window_events():
    out = subprocess.run(
        [os.path.join(bin_dir, "main_window_bench"), "-iterations", "200" if brief else "2000"],
        check=True, capture_output=True, text=True, env=env).stdout
    lines = out.splitlines()
    for i, line in enumerate(lines):
        if line.startswith("RESULT :"):
            name = line.split("::")[1].split("(")[0]
            ms = float(lines[i + 1].split()[0])
            events = 4 if name == "amountCascade" else 1  # 250->0, then 2, 25, 250
            per_event = ms / events
            label = {"pickWeightRow": "one weight pick (both recalculations)",
                     "amountCascade": "amount 250 -> 0 -> 250, per typed change"}.get(name, name)
            rows.append((f"window event: {label}", f"{per_event:.3f} ms", "< 2 ms", per_event < 2))


def startup():
    proc = subprocess.run(
        [sys.executable, os.path.join(here, "startup_bench.py"), bin_dir, "5" if brief else "30"],
        capture_output=True, text=True, env=env)
    for line in proc.stdout.splitlines():
        if line.startswith("ratio"):
            parts = line.split()
            t, m = float(parts[1]), float(parts[6])
            rows.append(("start-up / minimal Qt window: time", f"{t:.2f} x", "<= 1.5 x", t <= 1.5))
            rows.append(("start-up / minimal Qt window: peak memory", f"{m:.2f} x", "<= 1.3 x", m <= 1.3))


def jsonl_batch():
    rnd = random.Random(7)
    prefectures = ["北海道", "東京", "大阪", "沖縄", "福岡", "宮城", "新潟", "広島"]
    lines = []
    for i in range(100_000):
        kind = i % 4
        if kind == 0:
            req = {"quote": "youpack", "FromCaption": rnd.choice(prefectures),
                   "ToRow": rnd.randrange(55), "WeightRow": rnd.randrange(14),
                   "Kakitome": rnd.random() < 0.3, "Daihiki": rnd.random() < 0.3,
                   "DaihikiText": str(rnd.randrange(0, 50))}
        elif kind == 1:
            req = {"quote": "cat", "FromRow": rnd.randrange(53), "ToRow": rnd.randrange(55),
                   "WeightRow": rnd.randrange(14), "SizeRow": rnd.randrange(8),
                   "Home": rnd.random() < 0.5, "Fukusu": rnd.random() < 0.2, "FukusuText": "3"}
        elif kind == 2:
            req = {"quote": "letter", "WeightRow": rnd.randrange(18), "Sokutatsu": rnd.random() < 0.5}
        else:
            req = {"quote": "book", "WeightRow": rnd.randrange(18), "Cyaku": rnd.random() < 0.5}
        lines.append(json.dumps(req, ensure_ascii=False))
    with tempfile.NamedTemporaryFile("w", suffix=".jsonl", delete=False, encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
        batch = f.name

    def timed(cmd):
        best = None
        for _ in range(1 if brief else 3):
            with open(batch, "rb") as stdin:
                start = time.perf_counter()
                subprocess.run(cmd, stdin=stdin, stdout=subprocess.DEVNULL, check=False)
                elapsed = time.perf_counter() - start
            best = elapsed if best is None else min(best, elapsed)
        return best

    tool = timed([os.path.join(bin_dir, "hakomaru-quote"), "--jsonl"])
    jq = timed(["jq", "-c", "."])
    os.unlink(batch)
    ratio = tool / jq
    rows.append(("hakomaru-quote --jsonl, 100,000 lines / jq -c .",
                 f"{tool:.2f} s / {jq:.2f} s = {ratio:.2f}", "<= 0.5", ratio <= 0.5))


def editor_memory():
    # 1,000 edits of a 16 MiB tariff in the editor window (100 with --brief):
    # the undo steps keep each field's bytes, not copies of the file.
    edits = 100 if brief else 1000
    out = subprocess.run(
        [os.path.join(bin_dir, "editor_memory_bench"), str(edits)],
        check=True, capture_output=True, text=True, env=env).stdout
    growth = float(next(l for l in out.splitlines() if l.startswith("growth")).split()[1])
    rows.append((f"tariff editor: memory growth over {edits:,} edits of a 16 MiB tariff",
                 f"{growth:.1f} MiB", "<= 10 MiB", growth <= 10))


def editor_edits():
    # One edit in the editor window, red cells and preview included, for a
    # field of each kind of table, on the shipped tariff and a 16 MiB one.
    out = subprocess.run(
        [os.path.join(bin_dir, "tariff_edit_bench"), "--benchmark_format=json",
         f"--benchmark_min_time={0.05 if brief else 0.5}"],
        check=True, capture_output=True, text=True, env=env).stdout
    worst, paste = {}, {}
    for b in json.loads(out)["benchmarks"]:
        size, table = b["label"].rsplit(" ", 1)  # "16 MiB tblZone", "shipped paste"
        if table == "paste":
            paste[size] = b["real_time"]
        else:
            worst.setdefault(size, []).append((b["real_time"], table))
    for size, target in (("shipped", 16), ("16 MiB", 50)):
        ms, table = max(worst[size])
        rows.append((f"tariff editor: one edit, {size} tariff (slowest table: {table})",
                     f"{ms:.1f} ms", f"<= {target} ms", ms <= target))
    for size, target in (("shipped", 50), ("16 MiB", 100)):
        rows.append((f"tariff editor: paste of a 3 x 4 block, {size} tariff",
                     f"{paste[size]:.1f} ms", f"<= {target} ms", paste[size] <= target))


for step in (quotes, damaged_tariffs, window_events, startup, jsonl_batch, editor_memory,
             editor_edits):
    step()

width = max(len(r[0]) for r in rows)
print(f"{'figure':{width}}  {'measured':26}  {'target':8}  ok")
for figure, measured, target, ok in rows:
    print(f"{figure:{width}}  {measured:26}  {target:8}  {'yes' if ok else 'NO'}")
sys.exit(0 if all(r[3] for r in rows) else 1)
