// Times the local walk that fills the transfer list, headless, as the Find Files command runs it.
//
// Usage: find_bench DIRECTORY "YYYY-MM-DD HH:MM"
// Prints the rows found, the elapsed time and the peak resident memory.

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

#include "discovery/CUploadDirWalk.h"
#include "settings/CDateTime.h"
#include "list/CTransferList.h"

using namespace skerrow;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DIRECTORY \"YYYY-MM-DD HH:MM\"\n", argv[0]);
        return 2;
    }
    const CDateTime lastRun = ParseLastRun(argv[2], CDateTime{1000, 1, 1, 1, 1, 0});
    const auto start = std::chrono::steady_clock::now();

    CTransferList list;
    CUploadDirWalk walk;
    walk.Setup(&list, argv[1], false);
    walk.m_lastUpload = lastRun;
    list.DeleteAll();
    if (!walk.Walk(argv[1], "*.*")) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("rows %zu\nseconds %.6f\npeak_rss_kb %ld\n", list.Count(), seconds, usage.ru_maxrss);
    return 0;
}
