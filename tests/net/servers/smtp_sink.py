"""The SMTP handler of the mail tests, for aiosmtpd:
    python3 -m aiosmtpd -n -l 127.0.0.1:PORT -c smtp_sink.Sink SPOOL
Stores each message as SPOOL/N.eml (the data as received, dot-unstuffed) with its
envelope in SPOOL/N.env ("MAIL FROM" line, then one "RCPT TO" line per recipient).
Refuses RCPT TO for addresses beginning with "refused" (550) and, after DATA, any message
holding the header "X-Refuse: yes" (554).
"""
import os


class Sink:
    def __init__(self, spool):
        self.spool = spool
        self.count = 0

    @classmethod
    def from_cli(cls, parser, *args):
        if len(args) != 1:
            parser.error("Sink needs the spool folder")
        return cls(args[0])

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("refused"):
            return "550 no such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        content = envelope.original_content or b""
        if b"\r\nX-Refuse: yes\r\n" in b"\r\n" + content:
            return "554 message refused"
        self.count += 1
        base = os.path.join(self.spool, "%d" % self.count)
        with open(base + ".eml.part", "wb") as f:
            f.write(content)
        with open(base + ".env", "w") as f:
            f.write("MAIL FROM %s\n" % envelope.mail_from)
            for rcpt in envelope.rcpt_tos:
                f.write("RCPT TO %s\n" % rcpt)
        os.rename(base + ".eml.part", base + ".eml")
        return "250 stored as %d" % self.count
