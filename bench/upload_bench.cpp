// Uploads a local directory tree with the program's upload pass and prints the time it took and the
// FTP commands sent (login included).
//
// usage: upload_bench HOST PORT USER PASSWORD LOCAL_DIR START_DIR [--tls]
// With --tls the connection requires explicit TLS and trusts the server's certificate once.
// SKERROW_BENCH_SFTP_KEY=PATH: over SFTP instead (port 0: 22), logging in with the private key PATH
// (no passphrase) and trusting the server's host key once; the settings file and known_hosts the
// check reads are the bench's own, never the user's. START_DIR is then taken from the login
// directory, as a run takes its start directory.
// SKERROW_BENCH_CONNECTIONS=N (1 to 8, default 1): the pass on N connections (CUploadLanes), the
// further ones opened with the same protocol, encryption and key as the first.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>
#include <string>

#include "BenchRows.h"
#include "CBenchPass.h"
#include "app/CStringTable.h"
#include "transfer/CFTPTransfer.h"
#include "ftp/CEarlyLogins.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CSshHostKeyCheck.h"
#include "transfer/CStopSignal.h"
#include "log/CCommandLog.h"
#include "log/CLogFile.h"
#include "transfer/CProgressMeter.h"
#include "transfer/CRunProgress.h"
#include "list/CTransferList.h"
#include "app/IStatusSink.h"
#include "app/IUserPrompt.h"
#include "list/RowWord.h"
#include "transfer/CUploadLanes.h"

using namespace skerrow;

namespace {

// What every connection of the pass is opened with: the command line's server and login, and the
// protocol, encryption and key the environment chose.
struct CBenchLogin {
    char** argv = nullptr;
    bool tls = false;
    std::string sshKey;    // over SFTP when not empty
    std::string iniPath;   // the host-key check's settings file
    std::string knownHosts;

    void Prepare(CFtpConnection& connection) const
    {
        connection.SetEncryption(tls ? FtpEncryption::RequireExplicit : FtpEncryption::Plain);
        if (tls)
            connection.SetCertificateCheck("", [](const CCertificateInfo&) { return CertificateTrust::Once; });
        if (sshKey.empty())
            return;
        connection.SetProtocol(FtpProtocol::Sftp);
        connection.SetSshKey(sshKey, "");
        const int port = CFtpConnection::EffectivePort(std::atoi(argv[2]), FtpEncryption::Plain, FtpProtocol::Sftp);
        auto check = std::make_shared<CSshHostKeyCheck>(iniPath, argv[1], port);
        check->SetKnownHostsFile(knownHosts);
        check->SetAsk([](const CHostKeyQuestion&) { return CertificateTrust::Once; });
        connection.SetHostKeyCheck(std::move(check));
    }

    bool Open(CFtpConnection& connection) const
    {
        Prepare(connection);
        return connection.Open(argv[1], std::atoi(argv[2]), argv[3], argv[4], true);
    }
};

} // namespace

int main(int argc, char** argv)
{
    const bool tls = argc == 8 && std::string(argv[7]) == "--tls";
    if (argc != 7 && !tls) {
        std::fprintf(stderr, "usage: %s HOST PORT USER PASSWORD LOCAL_DIR START_DIR [--tls]\n", argv[0]);
        return 2;
    }
    const char* connectionsText = std::getenv("SKERROW_BENCH_CONNECTIONS");
    const int connections = connectionsText ? std::atoi(connectionsText) : 1;
    if (connections < 1 || connections > ini::kMostConnections) {
        std::fprintf(stderr, "SKERROW_BENCH_CONNECTIONS is 1 to %d\n", ini::kMostConnections);
        return 2;
    }
    const std::string scratch = "/tmp/skerrow-upload-bench-" + std::to_string(::getpid());
    CBenchLogin login;
    login.argv = argv;
    login.tls = tls;
    if (const char* key = std::getenv("SKERROW_BENCH_SFTP_KEY"))
        login.sshKey = key;
    login.iniPath = scratch + ".ini";
    login.knownHosts = scratch + ".known_hosts"; // never written: no key is known beforehand
    const bool sftp = !login.sshKey.empty();

    CBenchPass pass;
    CTransferList& list = pass.list;
    CFtpConnection& connection = pass.connection;
    AddSiteRows(list, argv[5]);
    login.Prepare(connection);
    // As in the window: the overall progress and the command log (with its file) follow the pass.
    CRunProgress overall;
    const std::string logPath = scratch + ".log";
    CCommandLog log(std::make_unique<CLogFile>(logPath));
    connection.SetLogCallback([&log](const std::string& line) { log.Add(line); });
    CUploadLanes::Setup setup;
    setup.connections = connections;
    setup.open = [login](CFtpConnection& more) { return login.Open(more); };
    // As a run does: over plain FTP the further connections log in once the server greeted the
    // first, else once the first is in.
    const bool greetedEarly = connections > 1 && !tls && !sftp;
    if (greetedEarly) {
        connection.SetGreetedCallback([&setup, connections] {
            setup.early = std::make_shared<CEarlyLogins>(connections - 1, setup.open, nullptr);
        });
    }
    const auto start = std::chrono::steady_clock::now();
    if (!pass.Open(argv))
        return 1;
    if (connections > 1 && !greetedEarly)
        setup.early = std::make_shared<CEarlyLogins>(connections - 1, setup.open, nullptr);
    // Over SFTP paths are absolute: the start directory is found from the login directory.
    const std::string startDir = sftp ? CFtpConnection::ResolvePath(connection.LoginDirectory(), argv[6]) : argv[6];
    CTransferContext context = pass.Context(argv[5], startDir);
    // SKERROW_BENCH_TEMP_NAME: Advanced/TempNameUpload (1: every file under a temporary name).
    if (const char* mode = std::getenv("SKERROW_BENCH_TEMP_NAME"))
        context.tempNameUpload = std::atoi(mode);
    context.overall = &overall;
    if (connections == 1)
        CFTPTransfer(context).UploadRows();
    else
        CUploadLanes(context, setup).Run();
    connection.Close();
    std::remove(logPath.c_str());
    std::remove((logPath + ".1").c_str());
    std::remove(login.iniPath.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("files %zu failed %zu seconds %.3f commands %d status %s\n", list.Count(), list.CountInState(kRowFailed),
                seconds, connection.CommandsSent(), pass.sink.GetStatusText().c_str());
    for (const CTransferRow& row : list.Snapshot()) {
        if (RowStateOf(row.word) == kRowFailed)
            std::fprintf(stderr, "failed: %s: %s\n", row.name.c_str(), row.error.c_str());
    }
    return list.CountInState(kRowFailed) == 0 ? 0 : 1;
}
