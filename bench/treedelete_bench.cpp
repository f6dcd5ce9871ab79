// Lists a server directory tree with the FTP walk and deletes it with the delete pass, as a tree
// deletion does, on one connection or several; prints the time (and when the listing was over), the
// entries and the FTP commands the first connection sent (login included).
//
// usage: treedelete_bench HOST PORT USER PASSWORD DIRECTORY [CONNECTIONS]
// CONNECTIONS is 1 to 8 (1 when not given).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CBenchPass.h"
#include "discovery/CTreeDelDirWalk.h"
#include "transfer/CDeleteLanes.h"
#include "transfer/CDeletePlan.h"
#include "ftp/CFtpConnection.h"
#include "transfer/CStopSignal.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"
#include "settings/CSettingsFile.h"

using namespace skerrow;

int main(int argc, char** argv)
{
    if (argc != 6 && argc != 7) {
        std::fprintf(stderr, "usage: %s HOST PORT USER PASSWORD DIRECTORY [CONNECTIONS]\n", argv[0]);
        return 2;
    }
    const int connections = argc == 7 ? std::atoi(argv[6]) : 1;
    if (connections < 1 || connections > ini::kMostConnections) {
        std::fprintf(stderr, "CONNECTIONS is 1 to %d\n", ini::kMostConnections);
        return 2;
    }
    CBenchPass pass;
    CTransferList& list = pass.list;
    CBenchSink& sink = pass.sink;
    CStopSignal& stop = pass.stop;
    CFtpConnection& connection = pass.connection;
    const auto start = std::chrono::steady_clock::now();
    if (!pass.Open(argv))
        return 1;
    CTreeDelDirWalk walk;
    walk.Setup(&list);
    walk.SetStopCheck([&stop] { return stop.IsSet(); });
    walk.SetConnections(CBenchPass::Lanes(argv, connections));
    if (!walk.Walk(&connection, argv[5], "*")) {
        std::fprintf(stderr, "%s\n", walk.Failure().c_str());
        return 1;
    }
    const double walked = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    CTransferContext context = pass.Context(std::string(), std::string());
    CDeleteLanes(context, CBenchPass::Lanes(argv, connections))
        .Run(CDeletePlan::TreeDelete(CFtpConnection::ResolvePath("/", argv[5])));
    connection.Close();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("entries %zu failed %zu seconds %.3f (listed after %.3f) commands %d status %s\n", list.Count(),
                list.CountInState(kRowFailed), seconds, walked, connection.CommandsSent(), sink.GetStatusText().c_str());
    return list.CountInState(kRowFailed) == 0 ? 0 : 1;
}
