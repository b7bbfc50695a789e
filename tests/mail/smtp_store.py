"""An aiosmtpd handler for the tests: stores every message it is given, with
its envelope, as files in a directory, and answers like a plain server.

    PYTHONPATH=tests/net /usr/bin/python3 -m aiosmtpd -n -l 127.0.0.1:PORT \
        -c smtp_store.StoreHandler DIRECTORY

For the Nth message (from 1) it writes DIRECTORY/N.envelope, one line each:
"HELO name", "MAIL FROM:address", "RCPT TO:address" per recipient, and
DIRECTORY/N.message, the data as received with its transparency removed.
The envelope goes last, under its final name, so a reader that sees it sees
the whole message.
"""

import os


class StoreHandler:
    def __init__(self, directory):
        self.directory = directory
        self.count = 0

    @classmethod
    def from_cli(cls, parser, *args):
        if len(args) != 1:
            parser.error("StoreHandler takes the directory to store messages in")
        return cls(args[0])

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.directory, str(self.count))
        with open(base + ".message", "wb") as message:
            message.write(envelope.original_content)
        lines = ["HELO " + str(session.host_name), "MAIL FROM:" + str(envelope.mail_from)]
        lines += ["RCPT TO:" + address for address in envelope.rcpt_tos]
        with open(base + ".envelope.tmp", "w", encoding="utf-8", errors="surrogateescape") as out:
            out.write("\n".join(lines) + "\n")
        os.rename(base + ".envelope.tmp", base + ".envelope")
        return "250 Message accepted for delivery"
