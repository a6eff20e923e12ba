#!/usr/bin/env python3
"""measure.py CMD [CMD ...]: runs the shell commands at once and prints, as one line,
the wall time in seconds until the last has ended, the largest peak RSS (KiB) among them, and the
CPU seconds (user + system) they used together. Exits 1 when any command fails."""
import os
import subprocess
import sys
import time

start = time.monotonic()
children = {subprocess.Popen(["/bin/sh", "-c", cmd]).pid for cmd in sys.argv[1:]}
peak = 0
cpu = 0.0
failed = False
while children:
    pid, status, usage = os.wait4(-1, 0)
    if pid in children:
        children.discard(pid)
        peak = max(peak, usage.ru_maxrss)
        cpu += usage.ru_utime + usage.ru_stime
        failed |= os.waitstatus_to_exitcode(status) != 0
print("%.3f %d %.3f" % (time.monotonic() - start, peak, cpu))
sys.exit(1 if failed else 0)
