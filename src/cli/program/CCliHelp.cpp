#include "program/CCliHelp.h"

namespace skerrow::cli {

std::string CCliHelp::Usage()
{
    return "Usage: skerrow-cli [OPTIONS] COMMAND [ARGUMENT] [OPTIONS]\n"
           "Try 'skerrow-cli --help' for more information.\n";
}

std::string CCliHelp::Text(const std::string& settingsFile)
{
    return "Usage: skerrow-cli [OPTIONS] COMMAND [ARGUMENT] [OPTIONS]\n"
           "\n"
           "Keeps a web site on an FTP server in step with a local folder, without a window.\n"
           "Uses the same settings file as Skerrow (site, user, password, folders, last upload).\n"
           "\n"
           "Commands:\n"
           "  upload            send the files changed since the last upload (Find Files & Transfer)\n"
           "                    and record the new last-upload date\n"
           "  send LIST         send the rows of a saved list that are not Done\n"
           "  find              print the files the next upload would send; nothing is sent\n"
           "                    (Ctrl+C stops it with exit status 1)\n"
           "  tree-delete DIR   list everything below the server directory DIR; delete it only\n"
           "                    with --yes (DIR itself stays; / needs --whole-account); the\n"
           "                    settings file is left as it was\n"
           "\n"
           "Options (before or after the command):\n"
           "  --settings FILE         the settings file (default: $SKERROW_INI, else the Skerrow\n"
           "                          window's own); without this option the file used is\n"
           "                          " + settingsFile + "\n"
           "  --password-env VAR      take the FTP password from the environment variable VAR\n"
           "  --password-file FILE    take the FTP password from the first line of FILE (a warning\n"
           "                          when others than its owner can read it)\n"
           "  -a, --all               upload or find every file, whatever its date\n"
           "  --save-list FILE        after upload, send or tree-delete, write the rows not done to\n"
           "                          FILE as a saved list that Skerrow can open (mode 0600)\n"
           "  --trust FINGERPRINT     accept the server's certificate with this SHA-256 fingerprint\n"
           "                          (as openssl x509 -fingerprint -sha256 prints it; colons and\n"
           "                          letter case optional) and remember it as the window does;\n"
           "                          a refused certificate is printed with its fingerprint;\n"
           "                          over SFTP, the host key with this SHA256:... fingerprint\n"
           "                          (as ssh-keygen -l prints it), also remembered\n"
           "  --require-tls           never log in without encryption: a server that offers no\n"
           "                          TLS is refused (without it such a server is reached\n"
           "                          unencrypted, with a warning each time, unless it has\n"
           "                          offered TLS before: that is always refused)\n"
           "  --delete-leftovers      upload: also list the server files and directories below the\n"
           "                          start directory that the folder no longer has (excluded ones\n"
           "                          never); with --yes, delete them after the upload. When the\n"
           "                          folder holds no file, or more than half of the server's files\n"
           "                          would go, nothing is sent or deleted (exit 2)\n"
           "  --max-delete N          upload --delete-leftovers: allow such a deletion of at most N\n"
           "                          files and directories\n"
           "  --whole-account         tree-delete /, . or ..: yes, everything the account reaches\n"
           "  -y, --yes               tree-delete, upload --delete-leftovers: delete what was listed\n"
           "  -q, --quiet             print only errors and failed files\n"
           "  -v, --verbose           also print the FTP commands and replies\n"
           "  -h, --help              print this help\n"
           "      --version           print the version\n"
           "\n"
           "SFTP: with Protocol=1 in the [Advanced] section of the settings file (the window's\n"
           "Advanced dialog) every command works over SFTP (port 22 unless Port says another).\n"
           "The login tries the password, the private key named by KeyFile in [Configure] (its\n"
           "passphrase kept as the password is), and the SSH agent when one runs. A host key\n"
           "that neither ~/.ssh/known_hosts nor the settings hold is refused (exit 3, its\n"
           "fingerprint printed); --trust SHA256:... accepts it. Text files go byte for byte.\n"
           "\n"
           "Passwords are never taken on the command line, and an empty one is refused.\n"
           "Lists (find, tree-delete) go to standard output; progress, failed files and the\n"
           "summary go to standard error. Control characters in names and replies are printed\n"
           "as escapes such as \\x1b.\n"
           "\n"
           "Exit status:\n"
           "  0  everything was sent (or listed, or deleted)\n"
           "  1  some files failed, or the run was stopped\n"
           "  2  usage or settings error: nothing was attempted\n"
           "  3  could not connect to the server or log in\n";
}

std::string CCliHelp::Version()
{
    return std::string("skerrow-cli ") + SKERROW_CLI_VERSION + "\n";
}

} // namespace skerrow::cli
