"""A loopback HTTP server for byte-exact checks of what the browser sends.

    record_server.py DIR PORTFILE

Every request, read whole (its head, then as many body bytes as its
Content-length line says), is written to DIR/request-N (N from 1). A GET for
a file that exists in DIR/www is answered with that file; anything else with
a small page titled "Got N". Each connection carries one request and is
closed after the answer (HTTP/1.0). The port it listens on goes to PORTFILE
once it accepts, so the test can wait for that file instead of polling.
"""

import os
import re
import socket
import sys


def read_request(conn):
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(65536)
        if not chunk:
            return data
        data += chunk
    head, _, body = data.partition(b"\r\n\r\n")
    match = re.search(rb"(?im)^content-length:\s*(\d+)\s*$", head)
    length = int(match.group(1)) if match else 0
    while len(body) < length:
        chunk = conn.recv(65536)
        if not chunk:
            break
        body += chunk
    return head + b"\r\n\r\n" + body


def main():
    directory, port_file = sys.argv[1], sys.argv[2]
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", 0))
    server.listen(16)
    with open(port_file + ".tmp", "w") as out:
        out.write(str(server.getsockname()[1]))
    os.rename(port_file + ".tmp", port_file)
    count = 0
    while True:
        conn, _ = server.accept()
        with conn:
            request = read_request(conn)
            if not request:
                continue
            count += 1
            with open(os.path.join(directory, "request-%d" % count), "wb") as out:
                out.write(request)
            line = request.split(b"\r\n", 1)[0].split(b" ")
            path = os.path.join(directory, "www", line[1].decode("latin-1").lstrip("/")) \
                if len(line) > 1 else ""
            if line[0] == b"GET" and os.path.isfile(path):
                with open(path, "rb") as page:
                    body = page.read()
            else:
                body = b"<title>Got %d</title>Request %d" % (count, count)
            conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: %d\r\n\r\n"
                         % len(body) + body)


if __name__ == "__main__":
    main()
