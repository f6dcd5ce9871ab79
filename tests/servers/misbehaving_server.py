#!/usr/bin/python3
"""A small FTP server (standard library only, 127.0.0.1) that misbehaves on purpose, for the tests.

Prints its port as the first line of standard output; it dies with its parent process. Files are
stored below --root. Any user name and password log in. Faults, chosen by option or by the name of
the uploaded file (leading dots aside, so that ".drop.bin.skerrow-part" fails as "drop.bin" does):
  STOR of a name starting "drop"   the control and data connections are closed in the middle; the
                                    bytes that came so far stay in the file
  STOR of a name starting "full"   refused with "452 Insufficient storage space."
  STOR of a name starting "stall"  the data connection is accepted but never read
  STOR of a name starting "flaky"  the first --flaky-fails tries (default 1) of each such name: the
                                    data connection is closed in the middle and "426 Connection
                                    closed; transfer aborted." follows; later tries go through
  STOR of a name starting "busy"   the first --flaky-fails tries get "451 Local error in
                                    processing."; later tries go through
  --slow-stor N                     every upload is read at N bytes per second at most
  --hang-after-login                after "230" no command but PWD is ever answered
  --refuse-mkd                      every MKD gets "550 Permission denied."
  --bad-list                        listings also name "../x", "a/b", "a\\b", "." and ".."
  --dos-list                        LIST answers in MS-DOS style, as Windows servers do
  --mlsd                            FEAT announces MLST and MLSD answers with fact lines
  --echo-pass                       the password is echoed in the reply to PASS, and STOR of a
                                    name starting "echo" is refused with a reply that names it
  --refuse-rename-over              RNTO to a name that exists gets "553 File exists.", as some
                                    servers never rename over a file
  --refuse-list SUBSTRING           a listing of a directory whose path holds SUBSTRING gets
                                    "550 Permission denied." (or --refuse-list-reply REPLY)
  --truncate-list                   every listing sends half its lines, then the data connection is
                                    closed and "426 Connection closed; transfer aborted." follows
  --self-dir NAME                   every listing also names a directory NAME, and a path component
                                    NAME stands for the directory that holds it: a directory inside
                                    itself
  --pwd-resolves                    PWD reports the real directory (without --self-dir components),
                                    as servers that resolve links do; else the path as entered
  --drip-list                       listings arrive one byte every half second
  --linger MS                       a session still counts MS milliseconds after its connection
                                    closed (with --max-sessions: a server slow to let one go)
  --huge-list N                     listings also name N made-up files
  --home DIR                        a login starts in DIR (below --root), as on a server that does
                                    not lock the account in its home directory
  --fold-case                       names are matched in any letter case, as on Windows servers:
                                    a STOR of Logo.png replaces logo.png, which keeps its name
  --refuse-rnfr                     every RNFR gets "550 Permission denied.", as on a server or an
                                    account that allows no renaming
  --refuse-rnto                     every RNTO gets "553 Rename not allowed."
  --refuse-rnto-from SUFFIX         so does the RNTO of a file whose name ends with SUFFIX
  --drop-rnto                       the control connection is closed instead of answering RNTO
  --delay MS                        every command waits MS milliseconds for its reply, as over a
                                    slow link
  --strict-rename                   any command between RNFR and RNTO makes the server forget the RNFR,
                                    as proftpd does: the RNTO gets "503 Bad sequence of commands." and
                                    nothing is renamed
  --cut-at VERB:N                   the N-th VERB (counted over all sessions) closes the control
                                    connection: it is not carried out, and no reply comes
  --refuse-logins-after-cut SECONDS for that long after a --cut-at cut, a new session is greeted
                                    with "421 Too many login attempts, try again later." and closed,
                                    as servers with anti-hammering rules do
  --lose-reply VERB:N               the N-th VERB (counted over all sessions) is carried out, then the
                                    control connection is closed without its reply
  --log FILE                        every command goes to FILE as it arrives, one line each: the
                                    session's number, then the command (the password hidden), and
                                    again as "N done COMMAND" as its final reply goes out; a
                                    session refused for --max-sessions as "N refused". The lines
                                    are in the server's own order over all sessions.
  --forged-names                    a link is listed as the directory it points to, with no line of
                                    its own, as when a forged line (a file name holding a line end)
                                    stands in for it; PWD then reports the real directory, links
                                    resolved, as vsftpd does
Symbolic links in the served tree show as links in LIST ("l", then " -> target"), while MLSD shows
what a link points to, as pyftpdlib does. With --mlsd, FEAT offers the "unique" fact without "*":
MLSD and MLST lines carry unique=<dev>g<ino> (of what a link points to) only once OPTS MLST has
enabled it.
"""
import argparse
import os
import posixpath
import socket
import socketserver
import stat
import sys
import threading
import time

from parent_death import die_with_parent

OPTIONS = None


class Session(socketserver.StreamRequestHandler):
    def setup(self):
        super().setup()
        self.cwd = OPTIONS.home
        self.passive = None
        self.logged_in = False
        self.facts = ["type", "size", "modify"]

    def reply(self, text):
        if getattr(self, "muted", False):
            return
        # A command is done once its final reply goes out: logged before the client can read it.
        if getattr(self, "command", None) and text[3:4] == " " and not text.startswith("1"):
            Session.record("%d done %s" % (self.number, self.command))
            self.command = None
        self.wfile.write((text + "\r\n").encode("utf-8", "surrogateescape"))
        self.wfile.flush()

    def local(self, path):
        full = posixpath.normpath(posixpath.join(self.cwd, path))
        full = "/" + full.lstrip("/")
        return full, Session.folded(os.path.join(OPTIONS.root, *self.real_parts(full)))

    @staticmethod
    def folded(path):
        """With --fold-case, each part of path names the entry that matches it in any letter case."""
        if not OPTIONS.fold_case:
            return path
        at = OPTIONS.root
        for part in os.path.relpath(path, OPTIONS.root).split(os.sep):
            if part in (".", ""):
                continue
            if not os.path.exists(os.path.join(at, part)) and os.path.isdir(at):
                part = next((name for name in os.listdir(at) if name.lower() == part.lower()), part)
            at = os.path.join(at, part)
        return at

    @staticmethod
    def real_parts(full):
        return [part for part in full.split("/") if part and part != OPTIONS.self_dir]

    def handle(self):
        self.number = Session.next_number()
        if time.monotonic() < Session.refuse_until:
            Session.record("%d refused" % self.number)
            self.reply("421 Too many login attempts, try again later.")
            return
        if not Session.enter():
            Session.record("%d refused" % self.number)
            self.reply("421 Too many connections.")
            return
        try:
            self.serve()
        finally:
            if OPTIONS.linger:
                time.sleep(OPTIONS.linger / 1000.0)
            Session.leave()

    sessions = 0
    refuse_until = 0.0  # --refuse-logins-after-cut: new sessions are refused until then
    sessions_lock = threading.Lock()
    numbered = 0
    log_lock = threading.Lock()

    @staticmethod
    def next_number():
        with Session.sessions_lock:
            Session.numbered += 1
            return Session.numbered

    @staticmethod
    def record(line):
        if not OPTIONS.log:
            return
        with Session.log_lock, open(OPTIONS.log, "a", encoding="utf-8", errors="surrogateescape") as out:
            out.write(line + "\n")

    @staticmethod
    def enter():
        with Session.sessions_lock:
            if OPTIONS.max_sessions and Session.sessions >= OPTIONS.max_sessions:
                return False
            Session.sessions += 1
            return True

    failed_tries = {}
    verbs_seen = {}

    @staticmethod
    def count(verb):
        """How many times verb has come so far over all sessions, this one included."""
        with Session.sessions_lock:
            Session.verbs_seen[verb] = Session.verbs_seen.get(verb, 0) + 1
            return Session.verbs_seen[verb]

    @staticmethod
    def fails_left(name):
        """Whether this try of a "flaky" or "busy" name still fails; counts it."""
        with Session.sessions_lock:
            tries = Session.failed_tries.get(name, 0)
            if tries >= OPTIONS.flaky_fails:
                return False
            Session.failed_tries[name] = tries + 1
            return True

    @staticmethod
    def leave():
        with Session.sessions_lock:
            Session.sessions -= 1

    def serve(self):
        self.reply("220 Misbehaving test server ready.")
        while True:
            line = self.rfile.readline()
            if not line:
                return
            line = line.decode("utf-8", "surrogateescape").rstrip("\r\n")
            verb, _, arg = line.partition(" ")
            verb = verb.upper()
            Session.record("%d %s" % (self.number, "PASS ****" if verb == "PASS" else line))
            self.command = None
            if OPTIONS.delay:
                time.sleep(OPTIONS.delay / 1000.0)
            if self.logged_in and OPTIONS.hang_after_login and verb != "PWD":
                continue
            handler = getattr(self, "do_" + verb, None)
            if handler is None:
                self.reply("502 Command not implemented.")
                continue
            self.command = "PASS ****" if verb == "PASS" else line
            if OPTIONS.strict_rename and verb != "RNTO":
                self.rename_from = None
            nth = Session.count(verb)
            if OPTIONS.cut_at == (verb, nth):
                Session.refuse_until = time.monotonic() + OPTIONS.refuse_logins_after_cut
                self.request.shutdown(socket.SHUT_RDWR)
                return
            self.muted = OPTIONS.lose_reply == (verb, nth)
            closing = handler(arg) == "close"
            if self.muted:
                self.request.shutdown(socket.SHUT_RDWR)
                return
            if closing:
                return

    users = 0
    users_seen = threading.Condition()

    def do_USER(self, arg):
        with Session.users_seen:
            Session.users += 1
            Session.users_seen.notify_all()
        self.reply("331 Password required.")

    def do_PASS(self, arg):
        # --hold-login N: no PASS is answered before N sessions have sent USER (3 s at most).
        if OPTIONS.hold_login:
            with Session.users_seen:
                Session.users_seen.wait_for(lambda: Session.users >= OPTIONS.hold_login, timeout=3)
        # --password P: any other password is refused, as a real server does.
        if OPTIONS.password is not None and arg != OPTIONS.password:
            self.reply("530 Login incorrect.")
            return None
        self.logged_in = True
        self.password = arg
        if OPTIONS.echo_pass:
            self.reply("230 Logged in with password %s." % arg)
        else:
            self.reply("230 Logged in.")

    def do_QUIT(self, arg):
        self.reply("221 Bye.")
        return "close"

    def do_PWD(self, arg):
        shown = "/" + "/".join(self.real_parts(self.cwd)) if OPTIONS.pwd_resolves else self.cwd
        if OPTIONS.forged_names:
            real = os.path.relpath(os.path.realpath(self.local(".")[1]), os.path.realpath(OPTIONS.root))
            shown = "/" if real == "." else "/" + real
        if OPTIONS.pwd_unquoted:
            self.reply("257 %s is the current directory." % shown)
        else:
            self.reply('257 "%s" is the current directory.' % shown)

    def do_CWD(self, arg):
        full, path = self.local(arg)
        if os.path.isdir(path):
            self.cwd = full
            self.reply("250 Directory changed.")
        else:
            self.reply("550 No such directory.")

    def do_TYPE(self, arg):
        self.reply("200 Type set.")

    def do_NOOP(self, arg):
        self.reply("200 OK.")

    def do_MKD(self, arg):
        full, path = self.local(arg)
        if OPTIONS.refuse_mkd:
            self.reply("550 Permission denied.")
            return
        try:
            os.mkdir(path)
            self.reply('257 "%s" created.' % full)
        except OSError:
            self.reply("550 Cannot create directory.")

    def do_RMD(self, arg):
        try:
            os.rmdir(self.local(arg)[1])
            self.reply("250 Removed.")
        except OSError:
            self.reply("550 Cannot remove directory.")

    def do_DELE(self, arg):
        try:
            os.remove(self.local(arg)[1])
            self.reply("250 Deleted.")
        except OSError:
            self.reply("550 Cannot delete file.")

    def do_RNFR(self, arg):
        full, path = self.local(arg)
        if OPTIONS.refuse_rnfr:
            self.reply("550 Permission denied.")
            return
        if not os.path.exists(path):
            self.reply("550 No such file.")
            return
        self.rename_from = path
        self.reply("350 Ready for RNTO.")

    def do_RNTO(self, arg):
        source, self.rename_from = getattr(self, "rename_from", None), None
        if source is None:
            self.reply("503 Bad sequence of commands.")
            return
        if OPTIONS.drop_rnto:
            self.request.shutdown(socket.SHUT_RDWR)
            return "close"
        if OPTIONS.refuse_rnto or (OPTIONS.refuse_rnto_from and source.endswith(OPTIONS.refuse_rnto_from)):
            self.reply("553 Rename not allowed.")
            return
        path = self.local(arg)[1]
        if OPTIONS.refuse_rename_over and os.path.exists(path):
            self.reply("553 File exists.")
            return
        try:
            os.rename(source, path)
            self.reply("250 Renamed.")
        except OSError:
            self.reply("550 Cannot rename.")

    def open_passive(self):
        if self.passive:
            self.passive.close()
        self.passive = socket.socket()
        self.passive.bind(("127.0.0.1", 0))
        self.passive.listen(1)
        return self.passive.getsockname()[1]

    def do_EPSV(self, arg):
        self.reply("229 Entering Extended Passive Mode (|||%d|)" % self.open_passive())

    def do_PASV(self, arg):
        port = self.open_passive()
        self.reply("227 Entering Passive Mode (127,0,0,1,%d,%d)." % (port >> 8, port & 255))

    def accept_data(self, receive_buffer=None):
        if not self.passive:
            self.reply("425 Use PASV or EPSV first.")
            return None
        if receive_buffer:
            self.passive.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, receive_buffer)
        self.passive.settimeout(10)
        try:
            conn, _ = self.passive.accept()
        except OSError:
            self.reply("425 Cannot open data connection.")
            return None
        finally:
            self.passive.close()
            self.passive = None
        return conn

    def do_FEAT(self, arg):
        if not OPTIONS.mlsd:
            self.reply("502 Command not implemented.")
            return
        self.reply("211-Features:")
        self.reply(" MDTM")
        self.reply(" MLST type*;size*;modify*;unique;")
        self.reply(" SIZE")
        self.reply("211 End")

    @staticmethod
    def list_line(style, is_dir, size, name, target=None, unique=None):
        if style == "mlsd":
            facts = "type=%s;size=%d;modify=20200101120000;" % ("dir" if is_dir else "file", size)
            return facts + ("unique=%s;" % unique if unique else "") + " " + name
        if style == "dos":
            if is_dir:
                return "01-01-20  11:05PM       <DIR>          %s" % name
            return "01-01-20  11:05PM %20d %s" % (size, name)
        if target is not None:
            return "lrwxrwxrwx 1 user group %d Jan 01 2020 %s -> %s" % (len(target), name, target)
        return "%srwxr-xr-x 1 user group %d Jan 01 2020 %s" % ("d" if is_dir else "-", size, name)

    def entry_line(self, style, full, name):
        """The line of an entry: a link as a link in LIST, as what it points to in MLSD."""
        st = os.stat(full)
        target = os.readlink(full) if os.path.islink(full) and not OPTIONS.forged_names else None
        unique = "%xg%x" % (st.st_dev, st.st_ino) if "unique" in self.facts else None
        return self.list_line(style, stat.S_ISDIR(st.st_mode), st.st_size, name, target, unique)

    def send_listing(self, style):
        logical, path = self.local(".")
        if OPTIONS.refuse_list and OPTIONS.refuse_list in logical:
            self.reply(OPTIONS.refuse_list_reply)
            return
        conn = self.accept_data()
        if conn is None:
            return
        self.reply("150 Here comes the listing.")
        lines = [self.entry_line(style, os.path.join(path, name), name) for name in sorted(os.listdir(path))]
        if OPTIONS.self_dir:
            lines.append(self.entry_line(style, path, OPTIONS.self_dir))
        if OPTIONS.bad_list:
            for name in ("../x", "a/b", "a\\b", ".", ".."):
                lines.append(self.list_line(style, True, 0, name))
                lines.append(self.list_line(style, False, 5, name))
        if OPTIONS.truncate_list:
            lines = lines[: len(lines) // 2]
        if OPTIONS.huge_list:
            lines += ["-rw-r--r-- 1 u g 1 Jan 01 2020 n%d" % i for i in range(OPTIONS.huge_list)]
        data = ("\r\n".join(lines) + "\r\n").encode("utf-8", "surrogateescape") if lines else b""
        try:
            if OPTIONS.drip_list:
                for i in range(len(data)):
                    conn.sendall(data[i:i + 1])
                    time.sleep(0.5)
            else:
                conn.sendall(data)
        except OSError:
            pass  # the client has had enough
        conn.close()
        if OPTIONS.truncate_list:
            self.reply("426 Connection closed; transfer aborted.")
        else:
            self.reply("226 Listing sent.")

    def do_LIST(self, arg):
        self.send_listing("dos" if OPTIONS.dos_list else "unix")

    def do_MLSD(self, arg):
        if not OPTIONS.mlsd:
            self.reply("502 Command not implemented.")
            return
        self.send_listing("mlsd")

    def do_MLST(self, arg):
        logical, path = self.local(arg or ".")
        if not OPTIONS.mlsd or not os.path.exists(path):
            self.reply("550 No such file or directory." if OPTIONS.mlsd else "502 Command not implemented.")
            return
        self.reply("250-Listing %s" % logical)
        self.reply(" " + self.entry_line("mlsd", path, logical))
        self.reply("250 End.")

    def do_OPTS(self, arg):
        command, _, facts = arg.partition(" ")
        if not OPTIONS.mlsd or command.upper() != "MLST":
            self.reply("501 Option not understood.")
            return
        known = ("type", "size", "modify", "unique")
        self.facts = [fact for fact in facts.lower().split(";") if fact in known]
        self.reply("200 MLST OPTS %s" % "".join(fact + ";" for fact in self.facts))

    def do_STOR(self, arg):
        full, path = self.local(arg)
        name = posixpath.basename(full).lstrip(".")
        if OPTIONS.echo_pass and name.startswith("echo"):
            self.reply("553 Not allowed for password %s." % getattr(self, "password", ""))
            return
        if name.startswith("full"):
            self.reply("452 Insufficient storage space.")
            return
        if name.startswith("busy") and Session.fails_left(name):
            self.reply("451 Local error in processing.")
            return
        stall = name.startswith("stall")
        conn = self.accept_data(4096 if stall else None)
        if conn is None:
            return
        self.reply("150 Ok to send data.")
        if stall:
            conn.settimeout(None)
            threading.Event().wait(600)
            conn.close()
            return "close"
        if name.startswith("flaky") and Session.fails_left(name):
            with open(path, "wb") as out:
                out.write(conn.recv(1024))
            conn.close()
            self.reply("426 Connection closed; transfer aborted.")
            return
        if name.startswith("drop"):
            with open(path, "wb") as out:
                out.write(conn.recv(1024))
            conn.close()
            self.request.shutdown(socket.SHUT_RDWR)
            return "close"
        with open(path, "wb") as out:
            while True:
                if OPTIONS.slow_stor:
                    chunk = conn.recv(max(1, OPTIONS.slow_stor // 10))
                    time.sleep(0.1)
                else:
                    chunk = conn.recv(65536)
                if not chunk:
                    break
                out.write(chunk)
        conn.close()
        self.reply("226 Transfer complete.")


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def verb_and_count(text):
    verb, _, count = text.partition(":")
    return verb.upper(), int(count)


def main():
    global OPTIONS
    die_with_parent()
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--hang-after-login", action="store_true")
    parser.add_argument("--refuse-mkd", action="store_true")
    parser.add_argument("--bad-list", action="store_true")
    parser.add_argument("--dos-list", action="store_true")
    parser.add_argument("--mlsd", action="store_true")
    parser.add_argument("--slow-stor", type=int, default=0)
    parser.add_argument("--max-sessions", type=int, default=0)
    parser.add_argument("--linger", type=int, default=0)
    parser.add_argument("--fold-case", action="store_true")
    parser.add_argument("--home", default="/")
    parser.add_argument("--drip-list", action="store_true")
    parser.add_argument("--huge-list", type=int, default=0)
    parser.add_argument("--echo-pass", action="store_true")
    parser.add_argument("--refuse-rename-over", action="store_true")
    parser.add_argument("--refuse-list", default="")
    parser.add_argument("--refuse-list-reply", default="550 Permission denied.")
    parser.add_argument("--truncate-list", action="store_true")
    parser.add_argument("--self-dir", default="")
    parser.add_argument("--pwd-resolves", action="store_true")
    parser.add_argument("--refuse-rnfr", action="store_true")
    parser.add_argument("--refuse-rnto", action="store_true")
    parser.add_argument("--refuse-rnto-from", default="")
    parser.add_argument("--drop-rnto", action="store_true")
    parser.add_argument("--flaky-fails", type=int, default=1)
    parser.add_argument("--log", default="")
    parser.add_argument("--delay", type=int, default=0)
    parser.add_argument("--hold-login", type=int, default=0)
    parser.add_argument("--pwd-unquoted", action="store_true")
    # Logins (the run's further connections).
    parser.add_argument("--password", default=None)
    parser.add_argument("--forged-names", action="store_true")
    # Faults around renames and deletes.
    parser.add_argument("--strict-rename", action="store_true")
    parser.add_argument("--cut-at", type=verb_and_count, default=None)
    parser.add_argument("--lose-reply", type=verb_and_count, default=None)
    parser.add_argument("--refuse-logins-after-cut", type=float, default=0)
    OPTIONS = parser.parse_args()
    server = Server(("127.0.0.1", 0), Session)
    print(server.server_address[1], flush=True)
    sys.stdout.close()
    server.serve_forever()


if __name__ == "__main__":
    main()
