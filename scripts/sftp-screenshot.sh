#!/usr/bin/env bash
# Takes docs/sftp-run.png: the demo site sent over SFTP by an automatic run (/a), with the log open,
# to the tests' OpenSSH server (tests/servers/sshd_server.py, a key login, its host key remembered in
# the settings as "Trust always" would). Runs under a private X server in a temporary directory.
#
# Usage: scripts/sftp-screenshot.sh [SKERROW_EXECUTABLE]   (default build/release/bin/skerrow)
# Needs: Xvfb, imagemagick, openssh-server.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
skerrow=${1:-$top/build/release/bin/skerrow}
[ -x "$skerrow" ] || { echo "no $skerrow: build Skerrow first" >&2; exit 1; }
out="$top/docs/sftp-run.png"
work=$(mktemp -d /tmp/skerrow-sftp-shot-XXXXXX)
chmod 755 "$work"
xvfb_pid= server_pid= skerrow_pid=
cleanup() {
    for pid in $skerrow_pid $server_pid $xvfb_pid; do kill "$pid" 2> /dev/null || true; done
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/served/site"
/usr/bin/python3 "$top/tests/servers/sshd_server.py" --root "$work/served" --client-key "$work/key" > "$work/port" &
server_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(head -n 1 "$work/port")
user=$(sed -n 2p "$work/port")
fingerprint=$(/usr/bin/python3 - "$work/key.host.pub" <<'PY'
import base64, hashlib, sys
blob = base64.b64decode(open(sys.argv[1]).read().split()[1])
print("SHA256:" + base64.b64encode(hashlib.sha256(blob).digest()).decode().rstrip("="))
PY
)
cat > "$work/skerrow.ini" <<INI
[Configure]
FTPURL=127.0.0.1
FTPStartDir=site
User=$user
KeyFile=$work/key
PCDir=$top/demo/site
UploadAllFiles=1
[Advanced]
Port=$port
Protocol=1
[View]
Log=1
[HostKeys]
127.0.0.1:$port=$fingerprint
[Data]
LastRun=1000\\01\\01 01:01
INI
chmod 600 "$work/skerrow.ini"

Xvfb -displayfd 3 -screen 0 1400x900x24 -nolisten tcp 3> "$work/display" 2> /dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$work/display")"
XDG_RUNTIME_DIR="$work" "$skerrow" --settings="$work/skerrow.ini" /a > "$work/skerrow.log" 2>&1 &
skerrow_pid=$!
for _ in $(seq 200); do [ -f "$work/served/site/about/index.html" ] && break; sleep 0.1; done
[ -f "$work/served/site/about/index.html" ] || { echo "the upload did not reach the server" >&2; exit 1; }
# (Nothing tells when GTK has painted the last rows; give it a moment.)
sleep 2
# The window alone on a black screen: trimming the screen leaves the window.
import -window root "$work/screen.png"
convert "$work/screen.png" -trim +repage "$out"
echo "picture in $out"
