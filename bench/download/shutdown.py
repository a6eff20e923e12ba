#!/usr/bin/env python3
"""How long closing takes while a worker waits in a stalled read.

tessaly-fetch downloads a stream from the test server that stops sending after 64 KiB and holds the
connection (the worker then sits in a read with the 30 s receive time-out). Once the tool has said
CONNECTED twice and the bytes are there, it gets SIGTERM, which closes its downloads service as the
program's window does. Prints "RESULT shutdown-stalled-read ms <median>" over a few runs, and the
size of the file left behind (what arrived before the stop).
    bench/download/shutdown.py [BUILD_DIR]
"""
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
build = sys.argv[1] if len(sys.argv) > 1 else "build"
fetch = os.path.join(os.path.abspath(build), "bin", "tessaly-fetch")
server_script = os.path.join(here, "..", "..", "tests", "support", "test_server.py")

server = subprocess.Popen([sys.executable, server_script], stdout=subprocess.PIPE, text=True)
try:
    port = int(server.stdout.readline().split()[1])
    address = ("http://127.0.0.1:%d/watch?u=youtube.com/watch?v=1&v=size:10000000,stall:65536&title=stalled"
               % port)
    times = []
    for run in range(5):
        with tempfile.TemporaryDirectory() as folder:
            tool = subprocess.Popen([fetch, address, folder], stdout=subprocess.PIPE, text=True)
            connected = 0
            while connected < 2:
                line = tool.stdout.readline()
                if not line:
                    sys.exit("the tool ended early")
                connected += line.strip() == "CONNECTED"
            time.sleep(0.5)  # the 64 KiB arrive; the worker waits in its next read
            start = time.perf_counter()
            tool.send_signal(signal.SIGTERM)
            tool.wait()
            times.append((time.perf_counter() - start) * 1000)
            kept = os.path.getsize(os.path.join(folder, "stalled.flv"))
        print("run %d: ended in %.1f ms, exit status %d, file kept %d bytes" % (run, times[-1], tool.returncode, kept))
    print("RESULT shutdown-stalled-read ms %.1f" % statistics.median(times))
finally:
    server.terminate()
    server.wait()
