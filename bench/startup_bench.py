#!/usr/bin/env python3
"""Start-up of the main window against a minimal Qt program, in one run.

Starts each probe alternately (offscreen), measures the time from starting
the process to the end of its window's first paint (the probe reports it
against the clock reading passed to it) and its peak resident memory,
and compares the medians: the main window may take at most 1.5 times the
time and 1.3 times the memory of the minimal window.

    python3 bench/startup_bench.py [build/bin] [runs]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

bin_dir = sys.argv[1] if len(sys.argv) > 1 else "build/bin"
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 30
probes = {
    "minimal": os.path.join(bin_dir, "hakomaru_minimal_probe"),
    "main window": os.path.join(bin_dir, "hakomaru_startup_probe"),
}
runtime = tempfile.mkdtemp()
os.chmod(runtime, 0o700)
env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime)


def run_once(path):
    env["HAKOMARU_PROBE_T0"] = str(time.monotonic_ns())
    proc = subprocess.Popen([path], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    output = proc.stdout.read()
    _, status, usage = os.wait4(proc.pid, 0)
    if os.waitstatus_to_exitcode(status) != 0 or not output.strip():
        sys.exit(f"{path} failed")
    return float(output), usage.ru_maxrss / 1024.0


samples = {name: ([], []) for name in probes}
for name, path in probes.items():  # warm the file cache
    run_once(path)
for _ in range(runs):
    for name, path in probes.items():
        ms, mb = run_once(path)
        samples[name][0].append(ms)
        samples[name][1].append(mb)

median = {name: (statistics.median(t), statistics.median(m)) for name, (t, m) in samples.items()}
for name, (ms, mb) in median.items():
    print(f"{name:12s} {ms:7.1f} ms  {mb:6.1f} MB peak   (median of {runs})")
time_ratio = median["main window"][0] / median["minimal"][0]
memory_ratio = median["main window"][1] / median["minimal"][1]
print(f"ratio        {time_ratio:7.2f} x time (limit 1.5)  {memory_ratio:5.2f} x memory (limit 1.3)")
sys.exit(0 if time_ratio <= 1.5 and memory_ratio <= 1.3 else 1)
