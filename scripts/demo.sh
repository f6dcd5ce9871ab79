#!/usr/bin/env bash
# The demo: a local FTP server on 127.0.0.1 serving an empty directory, a settings file that points
# at it and at the sample site in demo/site, and Skerrow opened on them, ready for
# Tools > Find Files & Transfer. Everything lives in a temporary directory removed at the end.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
skerrow=${1:-$top/build/release/bin/skerrow}
work=$(mktemp -d /tmp/skerrow-demo-XXXXXX)
server_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=scripts/demo-server.sh
. "$top/scripts/demo-server.sh"
start_demo_server "$work"
write_demo_settings "$work"

cat <<MSG
Demo FTP server: ftp://127.0.0.1:$port (user demo, password demo), serving $work/server
Settings file:   $work/skerrow.ini
1. Choose Tools > Find Files & Transfer (or Ctrl+N, or the first toolbar button): the five files of
   the sample site go to $work/server/harbour (demo/site/_drafts stays out: folders whose name
   begins with "_" are skipped), each row gets a green tick and the status bar says "Finished".
2. Tools > Tree Delete (Find Files), OK on "harbour", then Yes: the uploaded files and folders are
   deleted from the server again.
Close Skerrow to end the demo; the server and the temporary directory go with it.
(Only one Skerrow runs at a time: close any other one first, or the demo only raises that one.)
MSG
"$skerrow" --settings="$work/skerrow.ini"
