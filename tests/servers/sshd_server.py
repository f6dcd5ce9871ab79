#!/usr/bin/python3
"""Runs OpenSSH's sshd on 127.0.0.1 for the tests: SFTP only (internal-sftp), public-key login.

usage: sshd_server.py --root DIR --client-key PATH [--password PW]

Makes a host key (ed25519) of its own and a client key pair at PATH and PATH.pub (the key that may
log in), writes the host's public key to PATH.host.pub, and prints the port as the first line of
standard output once sshd accepts connections; the user name to log in with is the second line. It
stays until it is killed (SIGTERM also stops sshd) or its parent process ends, and sshd with it. Run
as root, sshd runs as the unprivileged "ftp" user, which owns DIR for the time being, so a session
can write nowhere else; run as another user, sshd runs as that user. Never a system service: no PAM,
no privilege separation, its own configuration. Exits with status 77 when sshd or ssh-keygen is
missing.

--password PW (root only, else exit 77) lets "ftp" log in with PW as well: sshd then runs as root,
in a mount namespace of its own (unshare -m) where /etc/shadow is a copy that gives "ftp" that
password; the system's files are never touched.
"""
import argparse
import os
import pwd
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

from parent_death import die_with_parent, tied_child

SSHD = "/usr/sbin/sshd"
KEYGEN = "/usr/bin/ssh-keygen"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def password_sshd(work, user, password, command):
    """The sshd command run as root with a shadow file of its own in which user has password."""
    hashed = subprocess.run(["openssl", "passwd", "-6", "-stdin"], input=password, capture_output=True,
                            text=True, check=True).stdout.strip()
    shadow = os.path.join(work, "shadow")
    with open("/etc/shadow") as real, open(shadow, "w") as out:
        for line in real:
            if line.split(":")[0] != user:
                out.write(line)
        out.write("%s:%s:19000:0:99999:7:::\n" % (user, hashed))
    os.chmod(shadow, 0o640)
    script = "mount --bind %s /etc/shadow && mkdir -p /run/sshd && exec %s" % (
        shadow, " ".join(command))
    return ["unshare", "-m", "--propagation", "private", "sh", "-c", script]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--client-key", required=True)
    parser.add_argument("--password")
    options = parser.parse_args()
    die_with_parent()
    if options.password is not None and (os.geteuid() != 0 or not shutil.which("unshare")):
        print("a password login needs root and unshare", file=sys.stderr)
        sys.exit(77)
    if not os.access(SSHD, os.X_OK) or not os.access(KEYGEN, os.X_OK):
        print("sshd or ssh-keygen is not installed", file=sys.stderr)
        sys.exit(77)
    user = "ftp" if os.geteuid() == 0 else pwd.getpwuid(os.geteuid()).pw_name
    account = pwd.getpwnam(user)
    # sshd writes its title over its environment: the mark of a test run (SKERROW_TEST_RUN, by which
    # skerrow.sh finds what the tests left running) goes in its configuration's path, which the
    # title shows.
    mark = os.environ.get("SKERROW_TEST_RUN")
    work = tempfile.mkdtemp(prefix="skerrow-sshd-" + (mark + "-" if mark else ""))
    os.chmod(work, 0o755)
    host_key = os.path.join(work, "host_ed25519")
    subprocess.run([KEYGEN, "-q", "-t", "ed25519", "-N", "", "-f", host_key], check=True)
    key = options.client_key
    if not os.path.exists(key):
        subprocess.run([KEYGEN, "-q", "-t", "ed25519", "-N", "", "-f", key], check=True)
    shutil.copy(host_key + ".pub", key + ".host.pub")
    authorized = os.path.join(work, "authorized_keys")
    shutil.copy(key + ".pub", authorized)
    port = free_port()
    config = os.path.join(work, "sshd_config")
    with open(config, "w") as out:
        out.write("\n".join([
            "ListenAddress 127.0.0.1", "Port %d" % port, "HostKey %s" % host_key, "PidFile none",
            "UsePAM no", "StrictModes no",
            "PasswordAuthentication %s" % ("no" if options.password is None else "yes"),
            "KbdInteractiveAuthentication no", "PubkeyAuthentication yes",
            "AuthorizedKeysFile %s" % authorized, "AllowUsers %s" % user,
            "Subsystem sftp internal-sftp", "ForceCommand internal-sftp -d %s" % os.path.abspath(options.root),
            "AllowTcpForwarding no", "X11Forwarding no", "MaxStartups 50", "MaxSessions 50", ""]))
    command = [SSHD, "-D", "-e", "-f", config]
    as_user = {}
    if os.geteuid() == 0:
        for path in [work, host_key, config, authorized]:
            if options.password is None:
                os.chown(path, account.pw_uid, account.pw_gid)
        for top, dirs, files in os.walk(options.root):
            for name in [top] + [os.path.join(top, f) for f in files]:
                os.chown(name, account.pw_uid, account.pw_gid)
        if options.password is None:
            # Popen changes the user itself: runuser would stay as sshd's parent, and sshd would
            # outlive this script when runuser is killed.
            as_user = {"user": account.pw_uid, "group": account.pw_gid,
                       "extra_groups": os.getgrouplist(user, account.pw_gid)}
        else:
            command = password_sshd(work, user, options.password, command)
    log = open(os.path.join(work, "sshd.log"), "w")
    # A group of its own, so that SIGTERM reaches sshd and its sessions; sshd dies with this script
    # (the password sshd too: unshare and sh exec it in the same process).
    server = subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT, start_new_session=True,
                              preexec_fn=tied_child(), **as_user)
    stopping = []

    def stop(*_):
        # Only signals: the main thread's wait for sshd ends once it is gone, and cleans up. sshd
        # and its sessions have nothing to save: they go at once.
        stopping.append(True)
        try:
            os.killpg(server.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass

    signal.signal(signal.SIGTERM, stop)
    for _ in range(200):
        if server.poll() is not None:
            break
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=1):
                break
        except OSError:
            time.sleep(0.05)
    if server.poll() is not None:
        print(open(os.path.join(work, "sshd.log")).read(), file=sys.stderr)
        shutil.rmtree(work, ignore_errors=True)
        sys.exit(77)
    # One write: the reader may close the pipe once it has the port, and a second write would then
    # end this script with a broken pipe, leaving sshd behind.
    sys.stdout.write("%d\n%s\n" % (port, user))
    sys.stdout.flush()
    sys.stdout.close()
    try:
        server.wait(timeout=None)
    finally:
        if not stopping:
            stop()
        try:
            server.wait(timeout=5)
        except subprocess.TimeoutExpired:
            os.killpg(server.pid, signal.SIGKILL)
            server.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
