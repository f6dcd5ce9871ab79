#!/usr/bin/python3
"""Runs vsftpd on 127.0.0.1 for the tests, serving a directory with write access to the user "ftp" (any password).

Prints the port as the first line of standard output once the server accepts connections, then stays
until it is killed (SIGTERM also stops vsftpd) or its parent process ends, and vsftpd with it. The
protocol log is written to --log. Needs root (vsftpd drops to the "ftp" user for the sessions).
Exits with status 77 when vsftpd cannot be started here.

With --tls-cert and --tls-key (PEM files) the server requires explicit TLS (AUTH TLS) for the login
and for every data connection, with the TLS session of the control connection resumed on the data
connection (vsftpd's default); --implicit-tls makes it speak TLS from the first byte instead.
--max-rate N holds every session's transfers to N bytes a second.
"""
import argparse
import os
import pwd
import random
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

from parent_death import die_with_parent, tied_child

VSFTPD = "/usr/sbin/vsftpd"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def pasv_range():
    # Passive ports below the ephemeral range, many of them: thousands of data connections leave
    # ports in TIME_WAIT, and client sockets take ephemeral ports; a narrow range among those runs
    # dry, and vsftpd's privileged process then gives up on the session ("500 OOPS").
    low = int(open("/proc/sys/net/ipv4/ip_local_port_range").read().split()[0])
    top = max(low, 12000)
    start = random.randrange(10000, top - 1000)
    return start, start + 999


def config(root, port, log, empty_dir, userlist, pasv_min, pasv_max):
    return "\n".join([
        "listen=YES", "listen_ipv6=NO", "listen_address=127.0.0.1", "listen_port=%d" % port,
        "background=NO", "seccomp_sandbox=NO", "run_as_launching_user=NO",
        # A local login, chrooted into root: vsftpd never lets anonymous users have a writable
        # root. The "runuser" PAM service admits any password when vsftpd runs as root, so the
        # tests need no account of their own; the session runs as the "ftp" user.
        "anonymous_enable=NO", "local_enable=YES", "pam_service_name=runuser",
        "userlist_enable=YES", "userlist_deny=NO", "userlist_file=%s" % userlist,
        "local_root=%s" % root, "chroot_local_user=YES", "allow_writeable_chroot=YES",
        "write_enable=YES", "local_umask=022", "passwd_chroot_enable=NO",
        "pasv_enable=YES", "pasv_address=127.0.0.1", "pasv_min_port=%d" % pasv_min,
        "pasv_max_port=%d" % pasv_max, "port_enable=YES", "connect_from_port_20=NO",
        "pasv_promiscuous=NO", "port_promiscuous=NO",
        "xferlog_enable=YES", "xferlog_std_format=NO", "log_ftp_protocol=YES",
        "vsftpd_log_file=%s" % log, "dual_log_enable=NO", "syslog_enable=NO",
        "secure_chroot_dir=%s" % empty_dir,
        "max_clients=64", "max_per_ip=64", "idle_session_timeout=600",
        "data_connection_timeout=600", "use_localtime=NO", "dirmessage_enable=NO",
        "hide_ids=NO", "ascii_upload_enable=NO", "ascii_download_enable=NO",
        "tcp_wrappers=NO", "",
    ])


def tls_config(args):
    if not args.tls_cert:
        return ""
    lines = [
        "ssl_enable=YES", "rsa_cert_file=%s" % args.tls_cert, "rsa_private_key_file=%s" % args.tls_key,
        "force_local_logins_ssl=YES", "force_local_data_ssl=YES",
        # With TLS 1.3 alone, as some hosts now run it, the data connections need not resume the
        # control connection's session.
        "require_ssl_reuse=%s" % ("NO" if args.tls13_only else "YES"),
        # vsftpd counts the user "ftp" of the tests as anonymous for its TLS rules.
        "allow_anon_ssl=YES", "force_anon_logins_ssl=YES", "force_anon_data_ssl=YES",
        "ssl_sslv2=NO", "ssl_sslv3=NO", "ssl_request_cert=NO",
        "implicit_ssl=%s" % ("YES" if args.implicit_tls else "NO"),
    ]
    # vsftpd has no switch per TLS version: with only PSK suites for TLS 1.2 and older (and no
    # key to use them), nothing but TLS 1.3, whose suites are set apart, can be agreed.
    lines += ["ssl_tlsv1=YES", "ssl_ciphers=%s" % ("PSK" if args.tls13_only else "HIGH")]
    return "\n".join(lines) + "\n"


def wait_for_port(port, proc, seconds=10.0, banner=True):
    end = time.time() + seconds
    while time.time() < end:
        if proc.poll() is not None:
            return False
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1) as s:
                if not banner:
                    return True  # implicit TLS: the server waits for the client's hello
                return s.recv(64).startswith(b"220")
        except OSError:
            time.sleep(0.05)
    return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--log", default=None)
    parser.add_argument("--tls-cert", default=None)
    parser.add_argument("--tls-key", default=None)
    parser.add_argument("--implicit-tls", action="store_true")
    parser.add_argument("--tls13-only", action="store_true")
    parser.add_argument("--max-rate", type=int, default=0)
    args = parser.parse_args()
    die_with_parent()
    if os.geteuid() != 0 or not os.access(VSFTPD, os.X_OK):
        print("vsftpd needs root and %s" % VSFTPD, file=sys.stderr)
        sys.exit(77)
    try:
        pwd.getpwnam("ftp")
    except KeyError:
        print("no ftp user", file=sys.stderr)
        sys.exit(77)
    work = tempfile.mkdtemp(prefix="skerrow-vsftpd-")
    os.makedirs(os.path.join(work, "empty"), exist_ok=True)
    log = args.log or os.path.join(work, "vsftpd.log")
    root = os.path.realpath(args.root)
    os.chmod(root, 0o777)
    for dirpath, dirnames, filenames in os.walk(root):
        for name in dirnames:
            path = os.path.join(dirpath, name)
            if os.stat(path).st_mode & 0o777:
                os.chmod(path, 0o777)
    userlist = os.path.join(work, "users")
    with open(userlist, "w") as f:
        f.write("ftp\n")
    proc = None
    for _ in range(5):
        port = free_port()
        pasv_min, pasv_max = pasv_range()
        conf = os.path.join(work, "vsftpd.conf")
        with open(conf, "w") as f:
            f.write(config(root, port, log, os.path.join(work, "empty"), userlist, pasv_min, pasv_max))
            f.write(tls_config(args))
            f.write("local_max_rate=%d\n" % args.max_rate)
        proc = subprocess.Popen([VSFTPD, conf], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=open(os.path.join(work, "stderr.txt"), "w"), start_new_session=True,
                                preexec_fn=tied_child())
        if wait_for_port(port, proc, banner=not args.implicit_tls):
            break
        proc.kill()
        proc.wait()
        proc = None
    if proc is None:
        print("vsftpd did not start", file=sys.stderr)
        sys.exit(77)

    def stop(*_):
        # vsftpd and its session processes share one process group of their own.
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        # No proc.wait() here: the main thread is inside it already, holding its lock.
        shutil.rmtree(work, ignore_errors=True)
        os._exit(0)

    def suspend(*_):
        # The tests' "server stops answering": every vsftpd process stands still.
        os.killpg(proc.pid, signal.SIGSTOP)

    def resume(*_):
        os.killpg(proc.pid, signal.SIGCONT)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    signal.signal(signal.SIGUSR1, suspend)
    signal.signal(signal.SIGUSR2, resume)
    print(port, flush=True)
    proc.wait()


if __name__ == "__main__":
    main()
