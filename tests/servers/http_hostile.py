#!/usr/bin/env python3
"""An HTTP server on 127.0.0.1 that misbehaves on purpose, for tests.

    http_hostile.py ROOT PORTFILE [SECONDS]

Serves the files under ROOT. It writes its port to PORTFILE, logs each request
line to ROOT/requests.log and stops after SECONDS (default 240). The way it
answers "/tarvik/tarvik.exe" is read from ROOT/mode at each request; other
paths choose their own behaviour:

  /half/<path>      announces the whole length of <path>, sends half, closes
  /endless          a chunked body that never ends (until the client leaves or
                    the server's time is up)
  /elsewhere/<path> redirects to the same path on another port (a second
                    listener of this server, which serves files normally)
  /here/<path>      redirects to /<path> on this same port
  /cut/<path>       the first 64 KiB of <path>, with that length announced
  POST (any path)   answers with the body parsed as a form, one "name=value"
                    line per field (values decoded), then a "--" line and the
                    query parsed the same way; the same text, ended by a
                    "==" line, is appended to ROOT/forms.log

Modes for /tarvik/tarvik.exe: "whole" (default), "half", "endless",
"elsewhere", "cut" (the first 64 KiB of the file with that length announced,
so the transfer is complete but the program is not).
"""
import http.server
import os
import socketserver
import sys
import threading
import time
import urllib.parse

ROOT = os.path.abspath(sys.argv[1])
PORTFILE = sys.argv[2]
SECONDS = float(sys.argv[3]) if len(sys.argv) > 3 else 240.0
END = time.monotonic() + SECONDS
LOCK = threading.Lock()


def log(line):
    with LOCK, open(os.path.join(ROOT, "requests.log"), "a") as f:
        f.write(line + "\n")


def read_file(path):
    full = os.path.realpath(os.path.join(ROOT, path.lstrip("/")))
    if not full.startswith(ROOT + os.sep) or not os.path.isfile(full):
        return None
    with open(full, "rb") as f:
        return f.read()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    other_port = 0
    plain = False  # the second listener: files only, no mode

    def log_message(self, *args):
        pass

    def send_body(self, body, length=None):
        self.send_response(200)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()
        self.close_connection = True

    def redirect(self, where):
        self.send_response(302)
        self.send_header("Location", where)
        self.send_header("Content-Length", "0")
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True

    def endless(self):
        self.send_response(200)
        self.send_header("Transfer-Encoding", "chunked")
        self.send_header("Connection", "close")
        self.end_headers()
        chunk = b"9.9.9\n" + b"x" * 65530
        sent = 0
        try:
            while time.monotonic() < END and sent < (4 << 30):
                self.wfile.write(b"%x\r\n%s\r\n" % (len(chunk), chunk))
                sent += len(chunk)
        except OSError:
            pass
        log("endless body stopped after %d bytes" % sent)
        self.close_connection = True

    def half(self, body):
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body[: len(body) // 2])
        self.wfile.flush()
        self.close_connection = True

    def do_GET(self):
        log("GET %d %s" % (self.server.server_address[1], self.path))
        path = urllib.parse.urlsplit(self.path).path
        if path == "/tarvik/tarvik.exe" and not self.plain:
            try:
                with open(os.path.join(ROOT, "mode")) as f:
                    mode = f.read().strip()
            except OSError:
                mode = "whole"
            if mode and mode != "whole":
                path = {"half": "/half", "elsewhere": "/elsewhere", "endless": "/endless",
                        "cut": "/cut"}.get(mode, "") + ("" if mode == "endless" else path)
        if path == "/endless":
            return self.endless()
        for prefix in ("/half/", "/elsewhere/", "/here/", "/cut/"):
            if path.startswith(prefix):
                rest = path[len(prefix) - 1:]
                if prefix == "/elsewhere/":
                    return self.redirect("http://127.0.0.1:%d%s" % (self.other_port, rest))
                if prefix == "/here/":
                    return self.redirect(rest)
                body = read_file(rest)
                if body is None:
                    break
                if prefix == "/half/":
                    return self.half(body)
                return self.send_body(body[:65536])
        body = read_file(path)
        if body is None:
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        self.send_body(body)

    def do_POST(self):
        log("POST %d %s" % (self.server.server_address[1], self.path))
        length = min(int(self.headers.get("Content-Length", "0")), 1 << 20)
        raw = self.rfile.read(length)
        split = urllib.parse.urlsplit(self.path)
        lines = []
        for name, value in urllib.parse.parse_qsl(raw.decode("latin-1"), keep_blank_values=True,
                                                  encoding="utf-8", errors="replace"):
            lines.append("%s=%s" % (name, value))
        lines.append("--")
        for name, value in urllib.parse.parse_qsl(split.query, keep_blank_values=True):
            lines.append("%s=%s" % (name, value))
        text = "\n".join(lines) + "\n"
        with LOCK, open(os.path.join(ROOT, "forms.log"), "a", encoding="utf-8") as f:
            f.write(text + "==\n")
        self.send_body(text.encode("utf-8"))


class PlainHandler(Handler):
    plain = True


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


def main():
    main_server = Server(("127.0.0.1", 0), Handler)
    other = Server(("127.0.0.1", 0), PlainHandler)
    Handler.other_port = other.server_address[1]
    for s in (main_server, other):
        threading.Thread(target=s.serve_forever, daemon=True).start()
    tmp = PORTFILE + ".tmp"
    with open(tmp, "w") as f:
        f.write("%d %d\n" % (main_server.server_address[1], other.server_address[1]))
    os.rename(tmp, PORTFILE)
    while time.monotonic() < END:
        time.sleep(0.2)


if __name__ == "__main__":
    main()
