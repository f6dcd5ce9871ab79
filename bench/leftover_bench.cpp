// Lists a server directory tree as the server-leftover walk does (against an empty local folder, so
// that every entry is a leftover) on a given number of connections; prints the rows and the time,
// for the latency benchmark (bench/latency), which puts a slow link between it and the server.
//
// usage: leftover_bench HOST PORT USER PASSWORD EMPTY_LOCAL_DIR START_DIR CONNECTIONS
// Prints "rows N seconds S"; CONNECTIONS is 1 to 8.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CBenchPass.h"
#include "discovery/CLeftoverDirWalk.h"
#include "list/CTransferList.h"
#include "settings/CSettingsFile.h"

using namespace skerrow;

int main(int argc, char** argv)
{
    if (argc != 8) {
        std::fprintf(stderr, "usage: %s HOST PORT USER PASSWORD EMPTY_LOCAL_DIR START_DIR CONNECTIONS\n", argv[0]);
        return 2;
    }
    const int connections = std::atoi(argv[7]);
    if (connections < 1 || connections > ini::kMostConnections) {
        std::fprintf(stderr, "CONNECTIONS is 1 to %d\n", ini::kMostConnections);
        return 2;
    }
    CBenchPass pass;
    const auto start = std::chrono::steady_clock::now();
    if (!pass.Open(argv))
        return 1;
    CLeftoverDirWalk walk;
    walk.Setup(&pass.list, argv[6], argv[5], {});
    walk.SetConnections(CBenchPass::Lanes(argv, connections));
    if (!walk.WalkServer(&pass.connection)) {
        std::fprintf(stderr, "%s\n", walk.Failure().c_str());
        return 1;
    }
    pass.connection.Close();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("rows %zu seconds %.3f\n", pass.list.Count(), seconds);
    return 0;
}
