#!/usr/bin/env python3
"""Runs an earlier bench_pattern and this one by turns, in sittings, and prints each RESULT line's
figure from this binary next to the earlier one's (the same arguments go to both):

    compare.py OLD_BINARY NEW_BINARY [--sittings=3] [bench_pattern arguments...]
"""
import subprocess
import sys


def results(binary, args):
    out = subprocess.run([binary, *args], capture_output=True, text=True, check=True).stdout
    figures = {}
    for line in out.splitlines():
        words = line.split()
        # RESULT <case> <peer or measure> <figure, or "< figure (why)">
        if len(words) >= 4 and words[0] == "RESULT":
            figures[" ".join(words[1:3])] = " ".join(words[3:])
    return figures


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    old, new, *args = sys.argv[1:]
    sittings = 3
    for arg in list(args):
        if arg.startswith("--sittings="):
            sittings = int(arg.split("=", 1)[1])
            args.remove(arg)
    for sitting in range(1, sittings + 1):
        before = results(old, args)
        after = results(new, args)
        print(f"== sitting {sitting}: new (old)")
        for key, figure in after.items():
            print(f"RESULT {key} {figure} ({before.get(key, '-')})")
        sys.stdout.flush()


if __name__ == "__main__":
    main()
