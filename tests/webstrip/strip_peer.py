#!/usr/bin/env python3
"""Peers on 127.0.0.1 for the web strip tests. Prints "PORT <n>" first, then runs until killed.

strip_peer.py serve DIR   serves the files of DIR over HTTP, uncached; prints "GET <path>" per request.
                          A *.gbk file goes as HTML in GBK (by its header); /redirect/<path> answers
                          302 to /<path>.
strip_peer.py stall       accepts connections and never answers; prints "CONNECTED" per connection
strip_peer.py refuse      holds a port that refuses every connection (bound, not listening)
Each ends by itself when its standard input closes.
"""

import functools
import os
import socket
import sys
import threading
import time
from http.server import SimpleHTTPRequestHandler, ThreadingHTTPServer


# One line per request, whole: the handlers run on threads of their own.
PRINT_LOCK = threading.Lock()


class Handler(SimpleHTTPRequestHandler):
    extensions_map = dict(SimpleHTTPRequestHandler.extensions_map, **{".gbk": "text/html; charset=gbk"})

    def log_message(self, format, *args):
        pass

    def end_headers(self):
        # Every navigation must reach the server, or a repeated one would go unseen.
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def do_GET(self):
        with PRINT_LOCK:
            print("GET " + self.path, flush=True)
        if self.path.startswith("/redirect/"):
            self.send_response(302)
            self.send_header("Location", self.path[len("/redirect"):])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        super().do_GET()


def exit_with_parent():
    """Standard input is the test's pipe: its end means the test is gone, even after a crash."""
    sys.stdin.read()
    os._exit(0)


def main():
    threading.Thread(target=exit_with_parent, daemon=True).start()
    mode = sys.argv[1]
    if mode == "serve":
        server = ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=sys.argv[2]))
        print("PORT %d" % server.server_address[1], flush=True)
        server.serve_forever()
    sock = socket.socket()
    sock.bind(("127.0.0.1", 0))
    if mode == "stall":
        sock.listen(16)
    print("PORT %d" % sock.getsockname()[1], flush=True)
    held = []
    while True:
        if mode == "stall":
            held.append(sock.accept()[0])
            print("CONNECTED", flush=True)
        else:
            time.sleep(1)


if __name__ == "__main__":
    main()
