#!/usr/bin/env python3
"""A hostile HTTP server on 127.0.0.1 for the fault tests: what it does to a
request depends on the request's path. It prints its port on a line of its
own and appends every request it reads to the file named by its argument."""
import socket
import struct
import sys
import threading

LOG_LOCK = threading.Lock()

HTML = b"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n"


def endless(conn, head, unit):
    conn.sendall(head)
    block = unit * (65536 // len(unit))
    while True:
        conn.sendall(block)


def hold(conn):
    # Silent until the client goes.
    while conn.recv(4096):
        pass


def reset(conn):
    conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))


def answer(conn, path, port):
    if path == "/silent":
        return hold(conn)
    if path == "/stall-body":
        conn.sendall(HTML + b"<p>half a page")
        return hold(conn)
    if path == "/endless-html":
        return endless(conn, HTML, b"<p>endless text ")
    if path == "/endless-text":
        return endless(conn, b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n",
                       b"x" * 79 + b"\n")
    if path == "/endless-bytes":
        return endless(conn, b"HTTP/1.0 200 OK\r\nContent-Type: application/x-endless\r\n\r\n",
                       b"\0")
    if path == "/reset":
        conn.sendall(HTML + b"<p>started")
        return reset(conn)
    if path.startswith("/file-img?"):
        # A picture of this computer's files, asked for by a page from the network.
        return conn.sendall(HTML + b'<img src="file://' + path[10:].encode() + b'">')
    if path == "/inject":
        return conn.sendall(HTML + b'<img src="/img?a\r\nX-Injected-Raw: 1">')
    replies = {
        "/empty": b"",
        "/cut-header": b"HTTP/1.0 200 OK\r\nContent-Ty",
        "/status-only": b"HTTP/1.0 200 OK\r\n",
        "/no-blank-line": b"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n",
        "/one-line": b"<p>one line without a line feed",
        "/short": b"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 100\r\n\r\n"
                  b"<p>short of its length",
        "/not-modified": b"HTTP/1.0 304 Not Modified\r\n\r\n",
        "/to-file": b"HTTP/1.0 302 Found\r\nLocation: file:///etc/hostname\r\n\r\n",
        "/html-as-gif": b"HTTP/1.0 200 OK\r\nContent-Type: image/gif\r\n\r\n<p>not a picture",
    }
    conn.sendall(replies.get(path, HTML + b"<p>plain page"))


def serve(conn, port, log):
    try:
        request = b""
        while b"\r\n\r\n" not in request:
            got = conn.recv(4096)
            if not got:
                return
            request += got
        with LOG_LOCK:
            with open(log, "ab") as out:
                out.write(request)
        path = request.split(b" ")[1].decode("latin-1") if b" " in request else ""
        answer(conn, path, port)
    except OSError:
        pass
    finally:
        conn.close()


def main():
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    port = listener.getsockname()[1]
    print(port, flush=True)
    while True:
        conn, _ = listener.accept()
        threading.Thread(target=serve, args=(conn, port, sys.argv[1]), daemon=True).start()


main()
