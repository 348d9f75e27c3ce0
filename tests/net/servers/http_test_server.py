"""The HTTP server of the network tests: Python's http.server with a handler that gives
the tests full control of the wire. Usage: http_test_server.py PORT

Paths (query parameters in brackets):
  /text[?n=N]         200, a plain body with Content-Length (N bytes of "x")
  /close-delimited    200, a body without length, ended by closing
  /chunked            200, chunked (answers HTTP/1.1 requests; 1.0 gets a plain body)
  /continue           a 100 Continue, then 200
  /range              206 with Content-Range for "Range: bytes=A-B", else 200
  /cookies            two Set-Cookie headers with Domain, Path and Expires
  /redirect/N         302 to /redirect/N-1; /redirect/0 is 200 "arrived"
  /loop               302 to itself
  /to?url=U[&code=C]  C (302) to U
  /created            201 with Location and Content-Location
  /status?code=C      that status with a short page
  /short              announces 100 bytes, sends 10 and closes
  /echo               the request (line, headers, body) as the body
  /slow?s=S           the header, then S seconds of silence before the body
  /silent?s=S         nothing at all for S seconds
  /huge-header        a header block over 1 MiB
  /lines?n=N          N numbered lines
"""
import sys
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def param(self, name, default=None):
        values = parse_qs(urlsplit(self.path).query).get(name)
        return values[0] if values else default

    def reply(self, code, body=b"", headers=(), length=True, reason=None):
        self.send_response(code, reason)
        for name, value in headers:
            self.send_header(name, value)
        if length:
            self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)
        self.close_connection = True

    def do_HEAD(self):
        self.do_GET()

    def do_POST(self):
        self.do_GET()

    def do_PUT(self):
        self.do_GET()

    def do_GET(self):
        path = urlsplit(self.path).path
        if path == "/text":
            self.reply(200, b"x" * int(self.param("n", "5")), [("Content-Type", "text/plain; charset=utf-8")])
        elif path == "/close-delimited":
            self.reply(200, b"until the end", length=False)
        elif path == "/chunked":
            if self.request_version != "HTTP/1.1":
                self.reply(200, b"one two three")
                return
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.send_header("Connection", "close")
            self.end_headers()
            for piece in (b"one ", b"two ", b"three"):
                self.wfile.write(b"%x;ext=1\r\n%s\r\n" % (len(piece), piece))
            self.wfile.write(b"0\r\nTrailer: x\r\n\r\n")
            self.close_connection = True
        elif path == "/continue":
            self.wfile.write(b"HTTP/1.1 100 Continue\r\n\r\n")
            self.reply(200, b"after continue")
        elif path == "/range":
            body = bytes(range(256)) * 4
            spec = self.headers.get("Range", "")
            if spec.startswith("bytes="):
                first, last = (int(v) for v in spec[6:].split("-"))
                part = body[first:last + 1]
                self.reply(206, part, [("Content-Range", "bytes %d-%d/%d" % (first, last, len(body)))])
            else:
                self.reply(200, body)
        elif path == "/cookies":
            self.reply(200, b"cookies", [
                ("Set-Cookie", "session=abc; Path=/app; Domain=localhost; Expires=Thu, 01 Jan 2032 10:00:00 GMT"),
                ("Set-Cookie", "theme=dark; HttpOnly"),
            ])
        elif path.startswith("/redirect/"):
            n = int(path[len("/redirect/"):])
            if n == 0:
                self.reply(200, b"arrived")
            else:
                self.reply(302, b"moved", [("Location", "/redirect/%d" % (n - 1))])
        elif path == "/loop":
            self.reply(302, b"again", [("Location", "/loop")])
        elif path == "/to":
            self.reply(int(self.param("code", "302")), b"elsewhere", [("Location", self.param("url"))])
        elif path == "/created":
            self.read_body()
            self.reply(201, b"created", [("Location", "/text"), ("Content-Location", "/text")])
        elif path == "/status":
            code = int(self.param("code"))
            self.reply(code, b"status page %d" % code)
        elif path == "/short":
            self.send_response(200)
            self.send_header("Content-Length", "100")
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(b"0123456789")
            self.close_connection = True
        elif path == "/echo":
            body = self.read_body()
            text = self.requestline.encode("latin-1") + b"\r\n" + bytes(self.headers) + body
            self.reply(200, text)
        elif path == "/slow":
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.flush()
            time.sleep(float(self.param("s", "5")))
            self.wfile.write(b"late")
            self.close_connection = True
        elif path == "/silent":
            time.sleep(float(self.param("s", "5")))
            self.close_connection = True
        elif path == "/huge-header":
            self.send_response(200)
            for i in range(40):
                self.send_header("X-Filler-%d" % i, "f" * 30000)
            self.send_header("Connection", "close")
            self.end_headers()
            self.close_connection = True
        elif path == "/lines":
            n = int(self.param("n", "10"))
            self.reply(200, b"".join(b"line %d\r\n" % i for i in range(n)))
        else:
            self.reply(404, b"not found", reason="Not Found")

    def read_body(self):
        length = int(self.headers.get("Content-Length", "0") or "0")
        return self.rfile.read(length) if length else b""


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


if __name__ == "__main__":
    Server(("127.0.0.1", int(sys.argv[1])), Handler).serve_forever()
