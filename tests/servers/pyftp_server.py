#!/usr/bin/python3
"""Serves a directory over FTP with pyftpdlib on 127.0.0.1, for the tests.

Prints the port it listens on as the first line of its standard output, then serves until it is
killed or its parent process ends. Options restrict parts of the tree: --readonly DIR (list and
enter only), --no-enter DIR (cannot be entered), --refuse NAME (uploads of that file name are
refused with 550).
With --tls-cert and --tls-key (PEM files) it offers explicit TLS (AUTH TLS) without requiring it,
or requires it for the login and the data connections with --tls-required; --tls13-only speaks
nothing older than TLS 1.3.
"""
import argparse
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

from parent_death import die_with_parent


def main():
    die_with_parent()
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", default="tester")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--readonly", action="append", default=[])
    parser.add_argument("--no-enter", action="append", default=[])
    parser.add_argument("--refuse", action="append", default=[])
    parser.add_argument("--tls-cert", default=None)
    parser.add_argument("--tls-key", default=None)
    parser.add_argument("--tls-required", action="store_true")
    parser.add_argument("--tls13-only", action="store_true")
    args = parser.parse_args()

    root = os.path.realpath(args.root)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, root, perm="elradfmwMT")
    for rel in args.readonly:
        authorizer.override_perm(args.user, os.path.join(root, rel), perm="elr", recursive=True)
    for rel in args.no_enter:
        authorizer.override_perm(args.user, os.path.join(root, rel), perm="lr", recursive=True)

    refused = set(args.refuse)

    base = FTPHandler
    if args.tls_cert:
        from pyftpdlib.handlers import TLS_FTPHandler
        base = TLS_FTPHandler
        base.certfile = args.tls_cert
        base.keyfile = args.tls_key
        base.tls_control_required = args.tls_required
        base.tls_data_required = args.tls_required
        if args.tls13_only:
            from OpenSSL import SSL
            base.ssl_options |= SSL.OP_NO_TLSv1 | SSL.OP_NO_TLSv1_1 | SSL.OP_NO_TLSv1_2

    class Handler(base):
        def ftp_STOR(self, file, mode="w"):
            if os.path.basename(file) in refused:
                self.respond("550 Uploads of this file are not allowed.")
                return
            return base.ftp_STOR(self, file, mode)

    Handler.authorizer = authorizer
    Handler.passive_ports = None
    Handler.permit_foreign_addresses = False
    server = FTPServer(("127.0.0.1", 0), Handler)
    server.max_cons = 64
    print(server.socket.getsockname()[1], flush=True)
    sys.stdout.close()
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
