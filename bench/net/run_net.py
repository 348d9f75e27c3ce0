"""Network benchmarks: our clients (through kestrin scripts) against curl, on loopback.

Starts nginx (HTTP and HTTPS with a test CA made here), dovecot and aiosmtpd in a scratch
folder, then runs each comparison in pairs, ours and curl's taking turns (A B, B A, ...);
reports the median of the per-pair ratios of wall time and of the client process's CPU
time (user + system), each with its range. Before timing,
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
    """Wall seconds of a run (run_cpu gives the process's own CPU seconds too)."""
    return run_cpu(command, **kwargs)[0]


def run_cpu(command, **kwargs):
    start = time.perf_counter()
    proc = subprocess.Popen(command, stdout=subprocess.DEVNULL, stdin=subprocess.DEVNULL, **kwargs)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise RuntimeError("%s failed" % command[:3])
    # Children of the command (sh running kestrin) count as well.
    return wall, usage.ru_utime + usage.ru_stime


def output(command):
    done = subprocess.run(command, capture_output=True, stdin=subprocess.DEVNULL)
    if done.returncode != 0:
        raise RuntimeError("%s failed: %s" % (command[:3], done.stdout[-500:] + done.stderr[-500:]))
    return done.stdout


def script(kestrin, text, *args):
    return [kestrin, "-e", text] + list(args)


def sha(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def pairs(name, ours, theirs, count, limit, prepare=None):
    """prepare (outside the timed region) runs before each of our runs."""
    walls, cpus = [], []

    def our_run():
        if prepare is not None:
            prepare()
        return run_cpu(ours)

    for i in range(count):
        if i % 2 == 0:
            a = our_run()
            b = run_cpu(theirs)
        else:
            b = run_cpu(theirs)
            a = our_run()
        walls.append(a[0] / b[0])
        cpus.append(a[1] / max(b[1], 1e-3))
    median = statistics.median(walls)
    verdict = "ok" if median <= limit else "OVER"
    print("| %s | %.2f | %.2f–%.2f | %.2f | %.2f–%.2f | ≤ %.1f | %s |" % (
        name, median, min(walls), max(walls), statistics.median(cpus), min(cpus), max(cpus), limit, verdict))
    sys.stdout.flush()


def start_mail_servers(work):
    """dovecot (POP3) with one user whose maildir holds the big message, and aiosmtpd with
    our sink; returns (processes, pop3 port, smtp port)."""
    root = os.geteuid() == 0
    uid = 65534 if root else os.geteuid()
    gid = 65534 if root else os.getegid()
    os.chmod(work, 0o755)
    maildir = os.path.join(work, "mail")
    for sub in ("new", "cur", "tmp"):
        os.makedirs(os.path.join(maildir, sub))
        os.chown(os.path.join(maildir, sub), uid, gid)
    os.chown(maildir, uid, gid)
    with open(os.path.join(work, "users"), "w") as f:
        f.write("bench:{PLAIN}secret:%d:%d::%s::\n" % (uid, gid, maildir))
    pop3, smtp = free_port(), free_port()
    me = "" if root else __import__("pwd").getpwuid(os.geteuid()).pw_name
    users = ("default_login_user = dovenull\ndefault_internal_user = dovecot\ndefault_internal_group = dovecot\n"
             if root else "default_login_user = %s\ndefault_internal_user = %s\n" % (me, me))
    conf = os.path.join(work, "dovecot.conf")
    with open(conf, "w") as f:
        f.write("""protocols = pop3
listen = 127.0.0.1
base_dir = %(w)s/run
state_dir = %(w)s/state
log_path = %(w)s/dovecot.log
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain
%(users)spassdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%%u %(w)s/users
}
userdb {
  driver = passwd-file
  args = username_format=%%u %(w)s/users
}
mail_location = maildir:~
service pop3-login {
  inet_listener pop3 {
    port = %(p)d
  }
  chroot =
}
service anvil {
  chroot =
}
service imap-login {
  chroot =
}
""" % {"w": work, "p": pop3, "users": users})
    spool = os.path.join(work, "spool")
    os.makedirs(spool)
    shutil.copy(os.path.join(ROOT, "tests", "net", "servers", "smtp_sink.py"), work)
    procs = [subprocess.Popen(["/usr/sbin/dovecot", "-F", "-c", conf], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL),
             subprocess.Popen(["/usr/bin/python3", "-m", "aiosmtpd", "-n", "-l", "127.0.0.1:%d" % smtp, "-c",
                               "smtp_sink.Sink", spool], cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)]
    return procs, maildir, uid, gid, pop3, smtp


def mail_rows(kestrin, work, count):
    """POP3 RETR and SMTP send of a 10 MB message with a 5 MB attachment."""
    procs, maildir, uid, gid, pop3, smtp = start_mail_servers(work)
    try:
        wait_for(pop3)
        wait_for(smtp)
        attachment = os.path.join(work, "attachment.bin")
        with open(attachment, "wb") as f:
            f.write(os.urandom(5 << 20))
        text_lines = ["text line %07d of the message body.........................................." % i
                      for i in range(50000)]
        with open(os.path.join(work, "text.txt"), "w") as f:
            f.write("\n".join(text_lines))
        # Our SMTP client builds the message; the copy it sends is the one both sides use.
        send = ("var t = new File(args[2]); t.open(); var s = new SMTP(); s.host = '127.0.0.1'; s.port = args[0];"
                "s.connect(); var m = s.mail; m.From = 'a@example.com'; m.To = 'b@example.com'; m.Subject = 'bench';"
                "m.message = t.read(); t.close(); m.attachments.add(args[1]); s.sendMail(); s.close();")
        ours_send = script(kestrin, send, str(smtp), attachment, os.path.join(work, "text.txt"))
        run(ours_send)
        stored = os.path.join(work, "spool", "1.eml")
        message = open(stored, "rb").read()
        if len(message) < (9 << 20):
            raise RuntimeError("the stored message has only %d bytes" % len(message))
        eml = os.path.join(work, "message.eml")
        shutil.copy(stored, eml)
        delivered = os.path.join(maildir, "new", "1.bench")
        shutil.copy(stored, delivered)
        os.chown(delivered, uid, gid)
        got = os.path.join(work, "got")
        os.makedirs(got)
        retr = ("var p = new POP3(); p.host = '127.0.0.1'; p.port = args[0]; p.userid = 'bench'; p.password = 'secret';"
                "p.attachPath = args[1]; p.connect(); var m = p.getMail(1); print(m.attachments.count); p.close();")
        ours_retr = script(kestrin, retr, str(pop3), got + "/")
        if output(ours_retr) != b"1" or sha(os.path.join(got, "attachment.bin")) != sha(attachment):
            raise RuntimeError("POP3: the attachment did not come back whole")
        curl_retr = ["curl", "-s", "-u", "bench:secret", "pop3://127.0.0.1:%d/1" % pop3, "-o", os.path.join(work, "curl.eml")]
        run(curl_retr)
        if open(os.path.join(work, "curl.eml"), "rb").read().rstrip(b"\r\n") != message.rstrip(b"\r\n"):
            raise RuntimeError("POP3: curl fetched other bytes")
        # Each retrieval writes its attachment anew (else a new name beside the old): the
        # folder is emptied before each run, outside the timed region.
        def empty_got():
            for entry in os.listdir(got):
                os.remove(os.path.join(got, entry))
        curl_send = ["curl", "-s", "smtp://127.0.0.1:%d" % smtp, "--mail-from", "a@example.com", "--mail-rcpt",
                     "b@example.com", "-T", eml]
        print()
        print("| Comparison (10 MB message with a 5 MB attachment, loopback) | wall ratio | range | CPU ratio | range | target (wall) | |")
        print("|---|---:|---:|---:|---:|---:|---|")
        pairs("POP3 getMail (attachment saved) vs curl pop3:// -o file", ours_retr,
              curl_retr, count, 2.0, prepare=empty_got)
        pairs("SMTP sendMail (built from text and file) vs curl smtp:// -T message", ours_send, curl_send, count, 2.0)
    finally:
        for p in procs:
            p.terminate()
            p.wait()


def main():
    args = [a for a in sys.argv[1:] if a != "--mail-only"]
    mail_only = len(args) < len(sys.argv) - 1
    kestrin = os.path.abspath(args[0])
    count = int(args[1]) if len(args) > 1 else 5
    work = tempfile.mkdtemp(prefix="velkoran-bench-net-")
    os.chmod(work, 0o755)  # the mail servers' own users pass through it
    os.makedirs(os.path.join(work, "mailbench"))
    nginx = None
    try:
        if mail_only:
            mail_rows(kestrin, os.path.join(work, "mailbench"), count)
            return
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

        print("| Comparison (100 MiB from nginx on loopback) | wall ratio | range | CPU ratio | range | target (wall) | |")
        print("|---|---:|---:|---:|---:|---:|---|")
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
        mail_rows(kestrin, os.path.join(work, "mailbench"), count)
    finally:
        if nginx is not None:
            nginx.terminate()
            nginx.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
