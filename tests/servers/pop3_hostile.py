#!/usr/bin/env python3
"""A POP3 server on 127.0.0.1 whose first session turns hostile, for tests.

    pop3_hostile.py ROOT PORTFILE [SECONDS]

Writes its port to PORTFILE and logs to ROOT/pop3.log; stops after SECONDS
(default 240). Every session greets, takes USER and PASS, and answers STAT.
The first session answers STAT with a 20-digit count, then floods 64 MiB
without line ends; it logs its progress ("flood N") every half second and
"flood held back at N" once the client has stopped taking data for 2 s.
Later sessions answer STAT with "+OK 3 300" ("stat answered in session K").
"""
import os
import socket
import sys
import threading
import time

ROOT, PORTFILE = sys.argv[1], sys.argv[2]
END = time.monotonic() + (float(sys.argv[3]) if len(sys.argv) > 3 else 240.0)
LOCK = threading.Lock()
FLOOD = 64 << 20


def log(line):
    with LOCK, open(os.path.join(ROOT, "pop3.log"), "a") as f:
        f.write(line + "\n")


def flood(conn):
    conn.setblocking(False)
    block = b"A" * 65536
    sent, last_progress, last_log = 0, time.monotonic(), 0.0
    held = False
    while sent < FLOOD and time.monotonic() < END:
        try:
            n = conn.send(block[: min(len(block), FLOOD - sent)])
            sent += n
            last_progress = time.monotonic()
            held = False
        except BlockingIOError:
            time.sleep(0.02)
        except OSError:
            break
        now = time.monotonic()
        if now - last_log >= 0.5:
            log("flood %d" % sent)
            last_log = now
        if not held and now - last_progress >= 2.0:
            log("flood held back at %d" % sent)
            held = True
    log("flood ended at %d" % sent)
    conn.setblocking(True)


def session(conn, number):
    conn.settimeout(max(1.0, END - time.monotonic()))
    f = conn.makefile("rb")
    try:
        conn.sendall(b"+OK hostile POP3 ready\r\n")
        while True:
            line = f.readline(4096)
            if not line:
                break
            command = line.strip().upper()
            if command.startswith(b"USER") or command.startswith(b"PASS"):
                conn.sendall(b"+OK\r\n")
            elif command == b"STAT":
                if number == 1:
                    log("stat flood in session 1")
                    conn.sendall(b"+OK 99999999999999999999 -5\r\n")
                    flood(conn)
                else:
                    conn.sendall(b"+OK 3 300\r\n")
                    log("stat answered in session %d" % number)
            elif command == b"QUIT":
                conn.sendall(b"+OK bye\r\n")
                break
            else:
                conn.sendall(b"-ERR unknown command\r\n")
    except OSError:
        pass
    finally:
        log("session %d closed" % number)
        conn.close()


def main():
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(8)
    server.settimeout(0.5)
    with open(PORTFILE + ".tmp", "w") as f:
        f.write("%d\n" % server.getsockname()[1])
    os.rename(PORTFILE + ".tmp", PORTFILE)
    number = 0
    while time.monotonic() < END and number < 50:
        try:
            conn, _ = server.accept()
        except socket.timeout:
            continue
        number += 1
        log("session %d opened" % number)
        threading.Thread(target=session, args=(conn, number), daemon=True).start()


if __name__ == "__main__":
    main()
