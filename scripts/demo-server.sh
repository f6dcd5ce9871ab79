# Sourced by scripts/demo.sh and scripts/readme-screenshots.sh (bash): starts the test FTP server
# on 127.0.0.1 for a demo and writes a settings file that points Skerrow at it and at demo/site.
#
#   start_demo_server WORK [SERVER OPTIONS...]  serves WORK/server as user demo, password demo;
#                                               sets port and server_pid
#   write_demo_settings WORK [EXTRA LINES...]   writes WORK/skerrow.ini (mode 0600); extra lines
#                                               go to the [Advanced] section
# Needs top (the repository) to be set.

start_demo_server() {
    local work=$1; shift
    mkdir -p "$work/server"
    # The server prints its port on its first line.
    coproc SERVER { exec /usr/bin/python3 "$top/tests/servers/pyftp_server.py" --root "$work/server" \
                         --user demo --password demo "$@" 2> "$work/server.log"; }
    server_pid=$SERVER_PID
    read -r -t 20 port <&"${SERVER[0]}" || {
        echo "the demo FTP server did not start" >&2; cat "$work/server.log" >&2; return 1
    }
}

write_demo_settings() {
    local work=$1; shift
    # The password is kept scrambled: each byte XORed with the program's key byte, four hex digits.
    local password
    password=$(/usr/bin/python3 -c 'import sys; print("".join("%04x" % (b ^ 0x5A) for b in sys.argv[1].encode()))' demo)
    {
        printf '[Configure]\nFTPURL=127.0.0.1\nFTPStartDir=harbour\nUser=demo\nPWD=%s\n' "$password"
        printf 'PCDir=%s\nUploadAllFiles=1\nFTPDirTreeDel=harbour\n' "$top/demo/site"
        printf '[Advanced]\nPort=%s\nPASV=1\n' "$port"
        local line
        for line in "$@"; do printf '%s\n' "$line"; done
        printf '[Data]\nLastRun=1000\\01\\01 01:01\n'
        # The demo server on this machine offers no TLS: let in without the question, as a user's
        # "Always for this server" would.
        printf '[Plain FTP Servers]\n127.0.0.1:%s=1\n' "$port"
    } > "$work/skerrow.ini"
    chmod 600 "$work/skerrow.ini"
}
