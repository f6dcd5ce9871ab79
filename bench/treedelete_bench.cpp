// Lists a server directory tree with the FTP walk and deletes it with the delete pass, as a tree
// deletion does; prints the time, the entries and the FTP commands sent (login included).
//
// usage: treedelete_bench HOST PORT USER PASSWORD DIRECTORY

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CBenchPass.h"
#include "discovery/CTreeDelDirWalk.h"
#include "transfer/CDeletePlan.h"
#include "transfer/CFTPTransfer.h"
#include "ftp/CFtpConnection.h"
#include "transfer/CStopSignal.h"
#include "list/CTransferList.h"
#include "app/IStatusSink.h"
#include "app/IUserPrompt.h"
#include "list/RowWord.h"

namespace {

using namespace skerrow;


} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s HOST PORT USER PASSWORD DIRECTORY\n", argv[0]);
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
    if (!walk.Walk(&connection, argv[5], "*")) {
        std::fprintf(stderr, "%s\n", walk.Failure().c_str());
        return 1;
    }
    CTransferContext context = pass.Context(std::string(), std::string());
    CFTPTransfer transfer(context);
    transfer.DeleteRows(CDeletePlan::TreeDelete(CFtpConnection::ResolvePath("/", argv[5])));
    connection.Close();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("entries %zu failed %zu seconds %.3f commands %d status %s\n", list.Count(),
                list.CountInState(kRowFailed), seconds, connection.CommandsSent(), sink.GetStatusText().c_str());
    return list.CountInState(kRowFailed) == 0 ? 0 : 1;
}
