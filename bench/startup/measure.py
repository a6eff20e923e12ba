#!/usr/bin/env python3
"""Times process start to first paint of the main window, and idle RSS, for the program and for a
bare Qt dialog, alternating runs; prints medians and "RESULT startup bare_qt <ratio>"."""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def run_once(program):
    with tempfile.TemporaryDirectory() as work:
        # The single-instance lock lives in the runtime folder, else the temporary one: both private.
        env = dict(os.environ, TMPDIR=work, XDG_RUNTIME_DIR=work)
        start = time.perf_counter()
        proc = subprocess.Popen([program], cwd=work, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        shown = rss = None
        for line in proc.stdout:
            if line.startswith("SHOWN") and shown is None:
                shown = (time.perf_counter() - start) * 1000
            elif line.startswith("RSS"):
                rss = int(line.split()[1])
        proc.wait(timeout=60)
        if shown is None or rss is None:
            sys.exit(f"{program} did not report its window")
        return shown, rss


def first_show_once(program):
    """Click to player page shown (ms), whether the main window kept its native window, click to movie shown (ms)."""
    with tempfile.TemporaryDirectory() as work:
        shutil.copy(os.path.join(os.path.dirname(program), "plsys.dll"), work)
        out = subprocess.run([program], cwd=work, env=dict(os.environ, TMPDIR=work), capture_output=True,
                             text=True, timeout=60).stdout
        fields = dict(line.split(None, 1) for line in out.splitlines() if " " in line)
        if "PLAYER_SHOWN" not in fields:
            sys.exit(f"{program} did not report the player page")
        return float(fields["PLAYER_SHOWN"]), fields.get("WINDOW", "?").strip(), float(fields.get("MOVIE_SHOWN", "nan"))


def main():
    bin_dir = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    programs = {"tessaly": os.path.join(bin_dir, "bench_startup_tessaly"),
                "bare_qt": os.path.join(bin_dir, "bench_startup_bare")}
    for program in programs.values():
        run_once(program)  # warm the file cache
    results = {name: [] for name in programs}
    for _ in range(runs):
        for name, program in programs.items():
            results[name].append(run_once(program))
    medians = {}
    for name, samples in results.items():
        ms = statistics.median(s[0] for s in samples)
        rss = statistics.median(s[1] for s in samples)
        medians[name] = ms
        print(f"{name}: start to window shown {ms:.1f} ms (median of {runs}), idle RSS {rss / 1024:.1f} MiB")
    print(f"RESULT startup bare_qt {medians['tessaly'] / medians['bare_qt']:.2f}")
    first = [first_show_once(os.path.join(bin_dir, "bench_player_first_show")) for _ in range(runs)]
    shown = statistics.median(f[0] for f in first)
    print(f"player page: click to page shown {shown:.1f} ms, to movie shown "
          f"{statistics.median(f[2] for f in first):.1f} ms (medians of {runs}); "
          f"main window's native window: {'/'.join(sorted(set(f[1] for f in first)))}")
    print(f"RESULT player-first-show ms {shown:.0f}")


if __name__ == "__main__":
    main()
