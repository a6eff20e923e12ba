#!/usr/bin/env python3
"""Times process start to the main window's whole first frame (and to its first paint event, which
comes before the window's children are drawn), and idle memory, for the program, for a bare Qt
dialog and for that dialog with one line of Chinese text, alternating runs; prints medians,
"RESULT startup bare_qt <ratio>" and "RESULT startup bare_qt_label <ratio>". Then runs
the program's memory scenario (idle, the strip's page, clips played on the player page) a few times
and prints the whole process tree's PSS at each step: "RESULT memory-<step> pss_mib <n>"."""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

CLIP_MS = 10000
# The two codec pairs the player must play, alternating over the clips of one run.
CODECS = [["-c:v", "flv1", "-q:v", "3", "-c:a", "libmp3lame"],
          ["-c:v", "libx264", "-preset", "veryfast", "-pix_fmt", "yuv420p", "-c:a", "aac"]]
CLIPS_PER_RUN = 3


def run_once(command, timeout=60, start_files=()):
    """Runs one probe in a fresh start-up directory (the current one, as the program has it) that
    holds start_files; returns (ms to the whole first frame, {phase: [pss kB, ...]}, [rss kB], ms to
    the window's first paint event)."""
    with tempfile.TemporaryDirectory() as work:
        for path in start_files:
            shutil.copy(path, work)
        # The single-instance lock lives in the runtime folder, else the temporary one: both private.
        env = dict(os.environ, TMPDIR=work, XDG_RUNTIME_DIR=work)
        start = time.perf_counter()
        proc = subprocess.Popen(command, cwd=work, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                text=True)
        shown = painting = None
        pss = {}
        rss = []
        for line in proc.stdout:
            words = line.split()
            if not words:
                continue
            if words[0] == "PAINTING" and painting is None:
                painting = (time.perf_counter() - start) * 1000
            elif words[0] == "SHOWN" and shown is None:
                shown = (time.perf_counter() - start) * 1000
            elif words[0] == "RSS":
                rss.append(int(words[1]))
            elif words[0] == "PSS":
                pss.setdefault(words[1], []).append((int(words[2]), int(words[4]) if len(words) > 4 else 0))
            elif words[0] == "FAILED":
                sys.exit(f"{command[0]}: {line.strip()}")
        proc.wait(timeout=timeout)
        if shown is None or not pss:
            sys.exit(f"{command[0]} did not report its window")
        return shown, pss, rss, painting


def make_clips(folder):
    ffmpeg = shutil.which("ffmpeg")
    if ffmpeg is None:
        sys.exit("ffmpeg is needed to make the clips")
    clips = []
    for i in range(CLIPS_PER_RUN):
        path = os.path.join(folder, f"clip{i}.flv")
        seconds = str(CLIP_MS / 1000)
        subprocess.run([ffmpeg, "-v", "error", "-y", "-f", "lavfi", "-i", f"testsrc=size=640x360:rate=25:duration={seconds}",
                        "-f", "lavfi", "-i", f"sine=frequency=440:duration={seconds}", *CODECS[i % len(CODECS)],
                        "-ar", "44100", "-f", "flv", path], check=True)
        clips.append(path)
    return clips


def mib(kb):
    return kb / 1024


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
    memory_runs = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    programs = {"tessaly": [os.path.join(bin_dir, "bench_startup_tessaly")],
                "bare_qt": [os.path.join(bin_dir, "bench_startup_bare")],
                "bare_qt_label": [os.path.join(bin_dir, "bench_startup_bare"), "label"]}
    for command in programs.values():
        run_once(command)  # warm the file cache
    results = {name: [] for name in programs}
    for _ in range(runs):
        for name, command in programs.items():
            results[name].append(run_once(command))
    medians = {}
    for name, samples in results.items():
        ms = statistics.median(s[0] for s in samples)
        rss = statistics.median(s[2][0] for s in samples)
        pss = statistics.median(s[1]["idle"][0][0] for s in samples)
        painting = statistics.median(s[3] for s in samples)
        medians[name] = ms
        print(f"{name}: start to window shown {ms:.1f} ms (first paint event at {painting:.1f}; median of {runs}), "
              f"idle RSS {mib(rss):.1f} MiB, "
              f"idle PSS {mib(pss):.1f} MiB")
    print(f"RESULT startup bare_qt {medians['tessaly'] / medians['bare_qt']:.2f}")
    # The same dialog with one line of text: how much of the difference any text at all makes.
    print(f"bare_qt_label / bare_qt: {medians['bare_qt_label'] / medians['bare_qt']:.2f}")
    print(f"RESULT startup bare_qt_label {medians['tessaly'] / medians['bare_qt_label']:.2f}")
    first = [first_show_once(os.path.join(bin_dir, "bench_player_first_show")) for _ in range(runs)]
    shown = statistics.median(f[0] for f in first)
    print(f"player page: click to page shown {shown:.1f} ms, to movie shown "
          f"{statistics.median(f[2] for f in first):.1f} ms (medians of {runs}); "
          f"main window's native window: {'/'.join(sorted(set(f[1] for f in first)))}")
    print(f"RESULT player-first-show ms {shown:.0f}")
    bare_pss = statistics.median(s[1]["idle"][0][0] for s in results["bare_qt"])
    print(f"RESULT memory-bare pss_mib {mib(bare_pss):.1f}")
    if memory_runs <= 0:
        return

    with tempfile.TemporaryDirectory() as clip_dir:
        clips = make_clips(clip_dir)
        scenario = [*programs["tessaly"], "memory", str(CLIP_MS), *clips]
        # The strip's page and the player movie ship in the start-up directory.
        start_files = [os.path.join(bin_dir, name) for name in ("tips.html", "plsys.dll")]
        samples = [run_once(scenario, timeout=300, start_files=start_files)[1] for _ in range(memory_runs)]
    def median(phase, i, part):
        return mib(statistics.median(s[phase][i][part] for s in samples))

    # Mapped libraries count in PSS by the share other programs take of them, which varies from run
    # to run on a shared machine; the anonymous part does not.
    for phase in ("start", "strip"):
        print(f"memory-{phase}: anonymous {median(phase, 0, 1):.1f} MiB of it (median of {memory_runs} runs)")
        print(f"RESULT memory-{phase} pss_mib {median(phase, 0, 0):.1f}")
    print(f"after each of {len(clips)} clips: " +
          ", ".join(f"{median('after-play', i, 0):.1f}" for i in range(len(clips))) + " MiB, anonymous " +
          ", ".join(f"{median('after-play', i, 1):.1f}" for i in range(len(clips))) + " MiB")
    print(f"RESULT memory-after-play pss_mib {median('after-play', 0, 0):.1f}")


if __name__ == "__main__":
    main()
