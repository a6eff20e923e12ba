#!/usr/bin/env python3
"""A real HTTP server on 127.0.0.1 for the download tests: watch pages and video streams.

Start:  python3 test_server.py [--port N]     (N = 0, the default, takes a free port)
It prints "PORT <n> <t>" on its first stdout line once it accepts connections, and ends on SIGTERM
(or when its parent process ends). Port n speaks HTTP, port t the same over TLS, with the
self-signed certificate tls/cert.pem (for 127.0.0.1 and localhost) beside this file.

Every request may come as a plain GET or through the proxy variables (absolute address in the
request line, e.g. http_proxy=http://127.0.0.1:PORT and a page on host www.youtube.com): only the
path and query are looked at, never the host.

/watch?...                 a watch page. Query parameters (all optional):
    v=SPEC                 the stream the page leads to (its "video_id=" value; SPEC below),
                           default "size:10000"
    title=TEXT             the title element's text (UTF-8), default "clip"
    t=TOKEN                the "t=" value, default "tok"
    pad=N                  N filler bytes before the title element (page cut tests)
    tail=N                 N filler bytes after the fields
    nofields=1             the page has a title but no "video_id=" / "t=" items
    prate=B                send the page at B bytes per second (a slow page phase)
    pstatus=N              answer with status N (the page is sent as the body all the same)
    repeat=N:TEXT          (may be given several times) the page is exactly TEXT repeated N times,
                           then the next repeat's, and so on, instead of the page below
    u=...                  ignored; lets an address hold "youtube.com/watch?v=..." in its query
  The page holds, in this order: "<html><head>", the filler, "<title>TEXT</title>", "</head><body>",
  "<a href=\"/x?a=1&video_id=SPEC&k=v&t=TOKEN&\">", the filler, "</body></html>".

/get_video?video_id=SPEC&t=TOKEN    a stream (also served under /stream?video_id=SPEC).
  SPEC is a comma-separated list of key:value knobs:
    size:N       body length in bytes (default 10000)
    seed:S       content seed (default 0); byte i of the body is
                 (S*131 + j*j*7 + j//7) & 0xFF with j = i % 65521 (tests rebuild it the same way)
    kind:text    the body is the repeating ASCII text "abcdefghijklmnopqrstuvwxyz0123456789\n"
    zero:K       byte K of the body is 0
    rate:B       send at most B bytes per second (slow streams, progress reports)
    stall:K      stop sending after body byte K and hold the connection open (receive time-outs)
    hstall:1     never send the response headers
    reset:K1/K2  reset the connection (RST) when a response reaches body byte K1, K2, ...: each
                 response breaks at the first listed offset beyond its starting offset that has
                 not broken a response yet (each offset breaks once per server run and SPEC); the
                 bytes before it are given time to arrive before the reset
    short:K      announce the full Content-Length but close cleanly after K body bytes
    range:0      ignore Range requests (answer 200 with the whole body)
    badrange:1   answer Range requests with 206 but a Content-Range one byte off
    chunked:1    chunked transfer encoding, no Content-Length
    duplen:N     a second Content-Length header saying N after the true one
    status:N     answer with status N (body sent all the same, except for 1xx, 204 and 304, which
                 carry none)
    redirect:N   answer N times with a 302 to the same address with redirect:N-1
    gopher:P     answer with a 302 to gopher://127.0.0.1:P/_FLUSHALL%0D%0A (a scheme no client of
                 this program may follow)
  Range: "bytes=A-" is honoured with 206 and "Content-Range: bytes A-(size-1)/size".

/log                       the request lines seen so far with their Range headers, one per line
                           ("GET <path> range=<value or ->"), oldest first, and a line
                           "STALL <video_id> <K>" once a stall:K stream's K bytes have all reached the
                           client's side of the connection.
"""

import argparse
import fcntl
import os
import signal
import socket
import ssl
import struct
import sys
import termios
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

PERIOD = 65521
TEXT = b"abcdefghijklmnopqrstuvwxyz0123456789\n"
STOP = threading.Event()
LOG = []
LOG_LOCK = threading.Lock()
FIRED = set()  # (spec, offset) of the resets done so far


def unsent_bytes(sock):
    """Bytes written to the socket that the peer has not yet taken in."""
    return struct.unpack("i", fcntl.ioctl(sock.fileno(), termios.TIOCOUTQ, b"\0\0\0\0"))[0]


def parse_spec(spec):
    knobs = {}
    for item in spec.split(","):
        if ":" in item:
            key, value = item.split(":", 1)
            knobs[key] = value
    return knobs


def body_block(knobs):
    """One period of the body's content; the body repeats it."""
    if knobs.get("kind") == "text":
        return TEXT
    seed = int(knobs.get("seed", "0"))
    return bytes((seed * 131 + j * j * 7 + j // 7) & 0xFF for j in range(PERIOD))


_block_cache = {}


def body_slice(knobs, start, end):
    key = (knobs.get("kind"), knobs.get("seed", "0"))
    block = _block_cache.get(key)
    if block is None:
        block = _block_cache[key] = body_block(knobs)
    period = len(block)
    out = bytearray()
    pos = start
    while pos < end:
        offset = pos % period
        take = min(period - offset, end - pos)
        out += block[offset:offset + take]
        pos += take
    zero = knobs.get("zero")
    if zero is not None and start <= int(zero) < end:
        out[int(zero) - start] = 0
    return bytes(out)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        parts = urlsplit(self.path)
        with LOG_LOCK:
            LOG.append("GET %s%s range=%s" % (parts.path, "?" + parts.query if parts.query else "",
                                              self.headers.get("Range", "-")))
        query = parse_qs(parts.query, keep_blank_values=True)
        try:
            if parts.path == "/watch":
                self.watch_page(query)
            elif parts.path in ("/get_video", "/stream"):
                self.stream(query.get("video_id", [""])[0], parts)
            elif parts.path == "/log":
                with LOG_LOCK:
                    text = "".join(line + "\n" for line in LOG).encode()
                self.simple(200, text)
            else:
                self.simple(404, b"not found")
        except (BrokenPipeError, ConnectionResetError):
            pass

    def simple(self, status, body, content_type="text/plain"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def watch_page(self, query):
        first = lambda name, default: query.get(name, [default])[0]
        spec = first("v", "size:10000")
        fill = b"<!-- filler -->" * 1
        pad = int(first("pad", "0"))
        tail = int(first("tail", "0"))
        filler = lambda n: (fill * (n // len(fill) + 1))[:n]
        page = b"<html><head>" + filler(pad)
        page += b"<title>" + first("title", "clip").encode("utf-8") + b"</title></head><body>"
        if first("nofields", "0") != "1":
            page += ("<a href=\"/x?a=1&video_id=%s&k=v&t=%s&\">" % (spec, first("t", "tok"))).encode()
        page += filler(tail) + b"</body></html>"
        if "repeat" in query:
            page = b"".join(text.encode("utf-8") * int(count)
                            for count, text in (item.split(":", 1) for item in query["repeat"]))
        self.send_response(int(first("pstatus", "200")))
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(page)))
        self.end_headers()
        self.send_paced(page, int(first("prate", "0")))

    def send_paced(self, data, rate):
        if rate <= 0:
            self.wfile.write(data)
            return
        step = max(1, rate // 20)
        for pos in range(0, len(data), step):
            if STOP.is_set():
                return
            self.wfile.write(data[pos:pos + step])
            self.wfile.flush()
            time.sleep(step / rate)

    def hold(self):
        """Keeps the connection open without sending until the client leaves or the server stops."""
        self.wfile.flush()
        self.connection.settimeout(0.1)
        while not STOP.is_set():
            try:
                if self.connection.recv(1) == b"":
                    return
            except socket.timeout:
                continue
            except OSError:
                return

    def reset(self):
        self.wfile.flush()
        # A reset discards what the client has not read yet; let the bytes sent so far arrive.
        time.sleep(0.2)
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.connection.close()
        self.close_connection = True

    def stream(self, spec, parts):
        knobs = parse_spec(spec)
        size = int(knobs.get("size", "10000"))
        if knobs.get("hstall") == "1":
            self.hold()
            return
        if "gopher" in knobs:
            self.send_response(302)
            self.send_header("Location", "gopher://127.0.0.1:%s/_FLUSHALL%%0D%%0A" % knobs["gopher"])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        redirects = int(knobs.get("redirect", "0"))
        if redirects > 0:
            knobs["redirect"] = str(redirects - 1)
            new_spec = ",".join("%s:%s" % item for item in knobs.items())
            self.send_response(302)
            self.send_header("Location", "%s?video_id=%s" % (parts.path, new_spec))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return

        start = 0
        status = int(knobs.get("status", "200"))
        if status < 200 or status in (204, 304):
            self.send_response(status)
            self.end_headers()
            return
        range_header = self.headers.get("Range")
        if range_header and knobs.get("range") != "0" and range_header.startswith("bytes="):
            start = int(range_header[6:].split("-")[0])
            status = 206
        self.send_response(status)
        self.send_header("Content-Type", "video/x-flv")
        chunked = knobs.get("chunked") == "1"
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Content-Length", str(size - start))
            if "duplen" in knobs:
                self.send_header("Content-Length", knobs["duplen"])
        if status == 206:
            shown = start + 1 if knobs.get("badrange") == "1" else start
            self.send_header("Content-Range", "bytes %d-%d/%d" % (shown, size - 1, size))
        self.end_headers()

        end = size
        breaks = [int(k) for k in knobs.get("reset", "").split("/") if k]
        with LOG_LOCK:
            reset_at = next((k for k in breaks if k > start and (spec, k) not in FIRED), None)
            if reset_at is not None and reset_at < size:
                FIRED.add((spec, reset_at))
        stall_at = int(knobs["stall"]) if "stall" in knobs else None
        short_at = int(knobs["short"]) if "short" in knobs else None
        stop_at = min(x for x in (end, reset_at, stall_at, short_at) if x is not None)
        rate = int(knobs.get("rate", "0"))
        step = max(1, rate // 20) if rate > 0 else 65536
        pos = start
        while pos < stop_at and not STOP.is_set():
            take = min(step, stop_at - pos)
            data = body_slice(knobs, pos, pos + take)
            if chunked:
                self.wfile.write(b"%x\r\n%s\r\n" % (len(data), data))
            else:
                self.wfile.write(data)
            pos += take
            if rate > 0:
                self.wfile.flush()
                time.sleep(take / rate)
        if pos < end:
            if pos == reset_at:
                self.reset()
            elif pos == stall_at:
                self.wfile.flush()
                # Logged once every byte has left this side: they all wait at the client's end.
                while unsent_bytes(self.connection) > 0 and not STOP.is_set():
                    time.sleep(0.005)
                with LOG_LOCK:
                    LOG.append("STALL %s %d" % (spec, pos))
                self.hold()
            else:
                self.wfile.flush()
                self.close_connection = True
            return
        if chunked:
            self.wfile.write(b"0\r\n\r\n")


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()
    server = Server(("127.0.0.1", args.port), Handler)
    tls_server = Server(("127.0.0.1", 0), Handler)
    tls = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    here = os.path.dirname(os.path.abspath(__file__))
    tls.load_cert_chain(os.path.join(here, "tls", "cert.pem"), os.path.join(here, "tls", "key.pem"))
    tls_server.socket = tls.wrap_socket(tls_server.socket, server_side=True)
    threading.Thread(target=tls_server.serve_forever, kwargs={"poll_interval": 0.05}, daemon=True).start()

    def stop(*_):
        STOP.set()
        threading.Thread(target=server.shutdown, daemon=True).start()
        threading.Thread(target=tls_server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    # A test that dies without stopping the server must not leave it behind.
    parent = os.getppid()

    def watch_parent():
        while not STOP.is_set():
            if os.getppid() != parent:
                stop()
            time.sleep(0.5)

    threading.Thread(target=watch_parent, daemon=True).start()
    print("PORT %d %d" % (server.server_address[1], tls_server.server_address[1]), flush=True)
    server.serve_forever(poll_interval=0.05)
    server.server_close()


if __name__ == "__main__":
    sys.exit(main())
