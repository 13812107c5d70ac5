"""An FTP server for the tests, on pyftpdlib.

Listens on the given address and port (by default one the system picks), prints "PORT <n>" on stdout once it
accepts connections, and serves until it is killed. pyftpdlib's log goes to stderr.
"""

import argparse
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer


def multiline_reply(code, text):
    """A reply whose text may hold line breaks: every line but the last is a continuation line,
    the last one carries "<code> ". pyftpdlib alone would send the breaks bare inside one line."""
    lines = text.split("\n")
    if len(lines) == 1:
        return None
    out = "%d-%s\r\n" % (code, lines[0])
    for line in lines[1:-1]:
        out += line + "\r\n"
    return out + "%d %s\r\n" % (code, lines[-1])


class AbortingDTPHandler(DTPHandler):
    """Breaks STOR uploads: closes the data connection once abort_after bytes have arrived, so
    the stored file holds exactly those bytes. APPE is left alone so that a resume can finish."""

    abort_after = 0
    abort_times = 0  # how many STORs to break; 0 breaks every one
    aborted_so_far = 0

    def _breaks_this_transfer(self):
        cls = AbortingDTPHandler
        if self.abort_after <= 0 or not self.receive or self.cmd != "STOR":
            return False
        return cls.abort_times == 0 or cls.aborted_so_far < cls.abort_times

    def handle_read(self):
        if not self._breaks_this_transfer():
            return DTPHandler.handle_read(self)
        remaining = self.abort_after - self.tot_bytes_received
        self.ac_in_buffer_size = max(1, min(DTPHandler.ac_in_buffer_size, remaining))
        DTPHandler.handle_read(self)
        if not self._closed and self.tot_bytes_received >= self.abort_after:
            AbortingDTPHandler.aborted_so_far += 1
            self._resp = ("426 Connection closed; transfer aborted.", logging.info)
            self.close()

    handle_read_event = handle_read


class TestFTPHandler(FTPHandler):
    banner_text = None
    login_text = {}
    max_command_line = 0  # 0: pyftpdlib's own bound (2,048 bytes)

    def collect_incoming_data(self, data):
        if not self.max_command_line:
            return FTPHandler.collect_incoming_data(self, data)
        # pyftpdlib's own, with another bound.
        self._in_buffer.append(data)
        self._in_buffer_len += len(data)
        if self._in_buffer_len > self.max_command_line:
            self.respond_w_warning('500 Command too long.')
            self._in_buffer = []
            self._in_buffer_len = 0

    early_final_reply = False  # STOR's 226 right after its 150, before the data has come
    _early_replied = False
    _accepting_stor = False

    def ftp_STOR(self, file, mode="w"):
        self._accepting_stor = True
        try:
            return FTPHandler.ftp_STOR(self, file, mode)
        finally:
            self._accepting_stor = False

    def respond(self, resp, logfun=logging.debug):
        if not self.early_final_reply:
            return FTPHandler.respond(self, resp, logfun)
        if self._early_replied and resp.startswith("226 "):
            self._early_replied = False  # said already; the data is stored all the same
            return
        FTPHandler.respond(self, resp, logfun)
        if self._accepting_stor and resp[:4] in ("150 ", "125 "):
            self._early_replied = True
            FTPHandler.respond(self, "226 Transfer complete.", logfun)

    def handle(self):
        reply = multiline_reply(220, self.banner_text) if self.banner_text else None
        if reply is None:
            return FTPHandler.handle(self)
        self.on_connect()
        if not self._closed and not self._closing:
            self.push(reply)

    def handle_auth_success(self, home, password, msg_login):
        reply = multiline_reply(230, msg_login)
        if reply is None:
            return FTPHandler.handle_auth_success(self, home, password, msg_login)
        # The base class's bookkeeping, with our reply in place of its one-line one.
        self.push(reply)
        self.log("USER '%s' logged in." % self.username)
        self.authenticated = True
        self.password = password
        self.attempted_logins = 0
        self.fs = self.abstracted_fs(home, self)
        self.on_login(self.username)


def parse_args():
    p = argparse.ArgumentParser()
    p.add_argument("--host", default="127.0.0.1")
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--root", required=True)
    p.add_argument("--user", default="user")
    p.add_argument("--password", default="secret")
    p.add_argument("--perm", default="elradfmwMT")
    p.add_argument("--anonymous", action="store_true")
    p.add_argument("--banner")
    p.add_argument("--login-message")
    p.add_argument("--passive-ports", help="MIN-MAX")
    p.add_argument("--abort-stor-after", type=int, default=0)
    p.add_argument("--abort-stor-times", type=int, default=0)
    p.add_argument("--early-final-reply", action="store_true")
    p.add_argument("--masquerade-address")
    p.add_argument("--log-commands", action="store_true")
    p.add_argument("--max-command-line", type=int, default=0)
    return p.parse_args()


def main():
    args = parse_args()
    # At DEBUG pyftpdlib logs every command received ("<- ...") and reply sent ("-> ...").
    logging.basicConfig(stream=sys.stderr,
                        level=logging.DEBUG if args.log_commands else logging.INFO,
                        format="%(asctime)s %(message)s")

    authorizer = DummyAuthorizer()
    login_kwargs = {}
    if args.login_message is not None:
        login_kwargs["msg_login"] = args.login_message
    authorizer.add_user(args.user, args.password, args.root, perm=args.perm, **login_kwargs)
    if args.anonymous:
        authorizer.add_anonymous(args.root, **login_kwargs)

    handler = TestFTPHandler
    handler.authorizer = authorizer
    # A refused login is answered at once: pyftpdlib waits seconds before it, against password
    # guessing, which only slows the tests down.
    handler.auth_failed_timeout = 0
    handler.max_command_line = args.max_command_line
    handler.banner_text = args.banner
    if args.banner is not None:
        handler.banner = args.banner
    if args.passive_ports:
        low, high = (int(x) for x in args.passive_ports.split("-"))
        handler.passive_ports = range(low, high + 1)
    handler.early_final_reply = args.early_final_reply
    if args.masquerade_address:
        handler.masquerade_address = args.masquerade_address
    if args.abort_stor_after > 0:
        AbortingDTPHandler.abort_after = args.abort_stor_after
        AbortingDTPHandler.abort_times = args.abort_stor_times
        handler.dtp_handler = AbortingDTPHandler

    server = FTPServer((args.host, args.port), handler)
    print("PORT %d" % server.address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
