// Uploads a local directory tree with the program's upload pass and prints the time it took and the
// FTP commands sent (login included).
//
// usage: upload_bench HOST PORT USER PASSWORD LOCAL_DIR START_DIR [--tls]
// With --tls the connection requires explicit TLS and trusts the server's certificate once.

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
#include "ftp/CFtpConnection.h"
#include "transfer/CStopSignal.h"
#include "log/CCommandLog.h"
#include "log/CLogFile.h"
#include "transfer/CProgressMeter.h"
#include "transfer/CRunProgress.h"
#include "list/CTransferList.h"
#include "app/IStatusSink.h"
#include "app/IUserPrompt.h"
#include "list/RowWord.h"

using namespace skerrow;

int main(int argc, char** argv)
{
    const bool tls = argc == 8 && std::string(argv[7]) == "--tls";
    if (argc != 7 && !tls) {
        std::fprintf(stderr, "usage: %s HOST PORT USER PASSWORD LOCAL_DIR START_DIR [--tls]\n", argv[0]);
        return 2;
    }
    CBenchPass pass;
    CTransferList& list = pass.list;
    CFtpConnection& connection = pass.connection;
    AddSiteRows(list, argv[5]);
    if (tls) {
        connection.SetEncryption(FtpEncryption::RequireExplicit);
        connection.SetCertificateCheck("", [](const CCertificateInfo&) { return CertificateTrust::Once; });
    }
    // As in the window: the overall progress and the command log (with its file) follow the pass.
    CRunProgress overall;
    const std::string logPath = "/tmp/skerrow-upload-bench-" + std::to_string(::getpid()) + ".log";
    CCommandLog log(std::make_unique<CLogFile>(logPath));
    connection.SetLogCallback([&log](const std::string& line) { log.Add(line); });
    const auto start = std::chrono::steady_clock::now();
    if (!pass.Open(argv))
        return 1;
    CTransferContext context = pass.Context(argv[5], argv[6]);
    // SKERROW_BENCH_TEMP_NAME: Advanced/TempNameUpload (1: every file under a temporary name).
    if (const char* mode = std::getenv("SKERROW_BENCH_TEMP_NAME"))
        context.tempNameUpload = std::atoi(mode);
    context.overall = &overall;
    CFTPTransfer transfer(context);
    transfer.UploadRows();
    connection.Close();
    std::remove(logPath.c_str());
    std::remove((logPath + ".1").c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("files %zu failed %zu seconds %.3f commands %d status %s\n", list.Count(), list.CountInState(kRowFailed),
                seconds, connection.CommandsSent(), pass.sink.GetStatusText().c_str());
    for (const CTransferRow& row : list.Snapshot()) {
        if (RowStateOf(row.word) == kRowFailed)
            std::fprintf(stderr, "failed: %s: %s\n", row.name.c_str(), row.error.c_str());
    }
    return list.CountInState(kRowFailed) == 0 ? 0 : 1;
}
