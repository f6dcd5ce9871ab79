// Uploads a local directory tree with the program's upload pass over a given number of connections
// and prints the time it took, for the latency benchmark (bench/latency), which puts a slow link
// between it and the server.
//
// usage: latency_bench HOST PORT USER PASSWORD LOCAL_DIR START_DIR CONNECTIONS
// Prints "files N failed F seconds S"; CONNECTIONS is 1 to 8. With LATENCY_TRACE set in the environment, every command and reply of every connection
// goes to standard error, with the milliseconds since the start and the connection's number.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "BenchRows.h"
#include "CBenchPass.h"
#include "app/CStringTable.h"
#include "ftp/CEarlyLogins.h"
#include "ftp/CFtpConnection.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"
#include "transfer/CFTPTransfer.h"
#include "transfer/CUploadLanes.h"
#include "settings/CSettingsFile.h"

using namespace skerrow;

namespace {

void Trace(CFtpConnection& connection, int number, std::chrono::steady_clock::time_point start)
{
    if (!std::getenv("LATENCY_TRACE"))
        return;
    connection.SetLogCallback([number, start](const std::string& line) {
        static std::mutex mutex;
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::lock_guard lock(mutex);
        std::fprintf(stderr, "%9.1f %d %s\n", ms, number, line.c_str());
    });
}

} // namespace


int main(int argc, char** argv)
{
    if (argc != 8) {
        std::fprintf(stderr, "usage: %s HOST PORT USER PASSWORD LOCAL_DIR START_DIR CONNECTIONS\n", argv[0]);
        return 2;
    }
    const int connections = std::atoi(argv[7]);
    if (connections < 1 || connections > ini::kMostConnections) {
        std::fprintf(stderr, "CONNECTIONS is 1 to %d\n", ini::kMostConnections);
        return 2;
    }
    CBenchPass pass;
    CTransferList& list = pass.list;
    AddSiteRows(list, argv[5]);
    const auto start = std::chrono::steady_clock::now();
    Trace(pass.connection, 0, start);
    CUploadLanes::Setup setup;
    setup.connections = connections;
    setup.open = [&argv, start, count = std::make_shared<std::atomic<int>>(0)](CFtpConnection& more) {
        Trace(more, ++*count, start);
        more.SetEncryption(FtpEncryption::Plain);
        return more.Open(argv[1], std::atoi(argv[2]), argv[3], argv[4], true);
    };
    // As a run on plain FTP does: the further connections log in once the server greeted the first.
    pass.connection.SetGreetedCallback([&setup, connections] {
        setup.early = std::make_shared<CEarlyLogins>(connections - 1, setup.open, nullptr);
    });
    if (!pass.Open(argv))
        return 1;
    CTransferContext context = pass.Context(argv[5], argv[6]);
    if (connections == 1)
        CFTPTransfer(context).UploadRows();
    else
        CUploadLanes(context, setup).Run();
    pass.connection.Close();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("files %zu failed %zu seconds %.3f\n", list.Count(), list.CountInState(kRowFailed), seconds);
    return list.CountInState(kRowFailed) == 0 ? 0 : 1;
}
