"""Network benchmarks: our clients (through kestrin scripts) against curl, on loopback.

Starts nginx (HTTP and HTTPS with a test CA made here) in a scratch folder, then runs
each comparison in pairs, ours and curl's taking turns (A B, B A, ...); reports the
median of the per-pair wall-time ratios with their minimum and maximum. Before timing,
both sides' results are checked to be the same bytes. Usage:
    run_net.py KESTRIN [PAIRS]
"""
import hashlib
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
MAKE_CA = os.path.join(ROOT, "tests", "net", "servers", "make_test_ca.sh")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(port):
    for _ in range(200):
        try:
            socket.create_connection(("127.0.0.1", port), 0.1).close()
            return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError("server on %d did not start" % port)


def run(command, **kwargs):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL, **kwargs)
    return time.perf_counter() - start


def output(command):
    return subprocess.run(command, check=True, capture_output=True, stdin=subprocess.DEVNULL).stdout


def script(kestrin, text, *args):
    return [kestrin, "-e", text] + list(args)


def sha(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def pairs(name, ours, theirs, count, limit):
    ratios = []
    for i in range(count):
        if i % 2 == 0:
            a = run(ours)
            b = run(theirs)
        else:
            b = run(theirs)
            a = run(ours)
        ratios.append(a / b)
    median = statistics.median(ratios)
    verdict = "ok" if median <= limit else "OVER"
    print("| %s | %.2f | %.2f | %.2f | ≤ %.1f | %s |" % (name, median, min(ratios), max(ratios), limit, verdict))
    sys.stdout.flush()


def main():
    kestrin = os.path.abspath(sys.argv[1])
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    work = tempfile.mkdtemp(prefix="velkoran-bench-net-")
    nginx = None
    try:
        www = os.path.join(work, "www")
        os.makedirs(os.path.join(work, "tmp"))
        os.makedirs(www)
        with open(os.path.join(www, "big.bin"), "wb") as f:
            block = os.urandom(1 << 20)
            for _ in range(100):
                f.write(block)
        with open(os.path.join(www, "lines.txt"), "wb") as f:
            f.write(b"".join(b"line %07d of a line-oriented response....................................................\r\n" % i
                             for i in range(100000)))
        subprocess.run(["sh", MAKE_CA, work + "/"], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        http, https = free_port(), free_port()
        conf = os.path.join(work, "nginx.conf")
        with open(conf, "w") as f:
            f.write("""daemon off; master_process off; error_log %(w)s/error.log; pid %(w)s/nginx.pid;
events { worker_connections 64; }
http { access_log off; sendfile on; default_type application/octet-stream;
  client_body_temp_path %(w)s/tmp/b; proxy_temp_path %(w)s/tmp/p; fastcgi_temp_path %(w)s/tmp/f;
  uwsgi_temp_path %(w)s/tmp/u; scgi_temp_path %(w)s/tmp/s;
  server { listen 127.0.0.1:%(h)d; root %(w)s/www; }
  server { listen 127.0.0.1:%(s)d ssl; ssl_certificate %(w)s/good.crt; ssl_certificate_key %(w)s/good.key; root %(w)s/www; }
}
""" % {"w": work, "h": http, "s": https})
        nginx = subprocess.Popen(["/usr/sbin/nginx", "-p", work, "-c", conf, "-e", work + "/error.log"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(http)
        wait_for(https)
        env = dict(os.environ, VELKORAN_CA_FILE=os.path.join(work, "ca.crt"))
        os.environ.update(env)
        ca = os.path.join(work, "ca.crt")
        plain = "http://127.0.0.1:%d/big.bin" % http
        secure = "https://127.0.0.1:%d/big.bin" % https
        lines = "http://127.0.0.1:%d/lines.txt" % http

        # The same bytes on both sides, checked once before any timing.
        want = sha(os.path.join(www, "big.bin"))
        for label, ours, theirs in (
                ("HTTP", script(kestrin, "new HTTP().getFile(args[0], args[1]);", plain, work + "/ours.bin"),
                 ["curl", "-s", "-0", "-o", work + "/theirs.bin", plain]),
                ("HTTPS", script(kestrin, "new HTTPS().getFile(args[0], args[1]);", secure, work + "/ours.bin"),
                 ["curl", "-s", "--cacert", ca, "-o", work + "/theirs.bin", secure])):
            run(ours)
            run(theirs)
            if sha(work + "/ours.bin") != want or sha(work + "/theirs.bin") != want:
                raise RuntimeError(label + ": the downloads differ from the served file")
        size = output(script(kestrin, "print(new HTTP().get(args[0]).length);", plain))
        if size != b"104857600":
            raise RuntimeError("HTTP.get returned %r bytes" % size)
        counted = output(script(kestrin, "var h = new HTTP(); h.request('GET', args[0]); h.response();"
                                         "var n = 0; var i; for (i = 0; i < 10000; i++) { if (h.readln() != '') n++; } print(n);", lines))
        if counted != b"10000":
            raise RuntimeError("readln counted %r lines" % counted)

        print("| Comparison (100 MiB from nginx on loopback) | median ratio | min | max | target | |")
        print("|---|---:|---:|---:|---:|---|")
        pairs("HTTP.getFile to /dev/null vs curl -0 -o /dev/null",
              script(kestrin, "new HTTP().getFile(args[0], '/dev/null');", plain),
              ["curl", "-s", "-0", "-o", "/dev/null", plain], count, 1.2)
        pairs("HTTP.get into a string vs curl -0 -o /dev/null",
              script(kestrin, "var s = new HTTP().get(args[0]);", plain),
              ["curl", "-s", "-0", "-o", "/dev/null", plain], count, 2.5)
        pairs("HTTPS.getFile to /dev/null vs curl --cacert -o /dev/null",
              script(kestrin, "new HTTPS().getFile(args[0], '/dev/null');", secure),
              ["curl", "-s", "--cacert", ca, "-o", "/dev/null", secure], count, 1.2)
        times = [run(script(kestrin, "var h = new HTTP(); h.request('GET', args[0]); h.response();"
                                     "var i; for (i = 0; i < 10000; i++) h.readln();", lines)) for _ in range(count)]
        print()
        print("10 000 readln over a 10 MB line-oriented response (whole kestrin run): median %.3f s, "
              "min %.3f, max %.3f (target < 0.5 s)" % (statistics.median(times), min(times), max(times)))
    finally:
        if nginx is not None:
            nginx.terminate()
            nginx.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
