// Times what the window does with a long transfer list, headless, one step per call so that each
// call's peak memory is that step's own.
//
// usage: list_bench find DIRECTORY        the local walk that fills the list (every file listed)
//        list_bench make FILE ROWS        writes a saved list of ROWS rows (not timed)
//        list_bench open FILE             reads a saved list into the list, as File Open does
//        list_bench save FILE OUT         the list of FILE saved to OUT, as File Save does
//        list_bench delete FILE           every other row selected and deleted, as the Delete key does
//        list_bench reset FILE            every row back to Pending, as Re-set does
// Each prints "rows N", "seconds S" (the step alone) and "peak_rss_kb K" (the whole call).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <vector>

#include "discovery/CUploadDirWalk.h"
#include "list/CSavedListFile.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"

using namespace skerrow;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int Report(const CTransferList& list, double seconds)
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("rows %zu\nseconds %.6f\npeak_rss_kb %ld\n", list.Count(), seconds, usage.ru_maxrss);
    return 0;
}

bool Open(const std::string& path, CTransferList& list)
{
    CSavedListFile file;
    int runState = 0;
    std::vector<CPackedRow> rows;
    if (!file.Read(path, runState, rows)) {
        std::fprintf(stderr, "cannot read %s: %s\n", path.c_str(), file.error().c_str());
        return false;
    }
    list.Replace(std::move(rows));
    return true;
}

// Rows named as a find names them, a few Done or Failed with an error, as a list after a run.
int Make(const std::string& path, long count)
{
    std::vector<CPackedRow> rows;
    rows.reserve(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "/section%04ld/page%02ld/file%03ld.html", i / 2500, i / 100 % 25, i % 100);
        const int32_t state = i % 10 == 3 ? kRowFailed : i % 10 == 5 ? kRowDone : kRowPending;
        rows.emplace_back(state, name, std::to_string(i % 37 + 1), state == kRowFailed ? "550 Permission denied" : "");
    }
    CSavedListFile file;
    if (!file.Write(path, 1, rows)) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), file.error().c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string step = argc > 2 ? argv[1] : "";
    CTransferList list;
    if (step == "make" && argc == 4)
        return Make(argv[2], std::atol(argv[3]));
    if (step == "find" && argc == 3) {
        const auto start = Clock::now();
        CUploadDirWalk walk;
        walk.Setup(&list, argv[2], true);
        if (!walk.Walk(argv[2], "*.*")) {
            std::fprintf(stderr, "cannot open %s\n", argv[2]);
            return 1;
        }
        return Report(list, SecondsSince(start));
    }
    if (step == "open" && argc == 3) {
        const auto start = Clock::now();
        if (!Open(argv[2], list))
            return 1;
        return Report(list, SecondsSince(start));
    }
    if ((step == "save" && argc == 4) || ((step == "delete" || step == "reset") && argc == 3)) {
        if (!Open(argv[2], list))
            return 1;
        auto start = Clock::now();
        if (step == "save") {
            CSavedListFile file;
            if (!file.Write(argv[3], 1, list.PackedSnapshot())) {
                std::fprintf(stderr, "cannot write %s: %s\n", argv[3], file.error().c_str());
                return 1;
            }
        } else if (step == "delete") {
            std::vector<size_t> selected;
            for (size_t i = 0; i < list.Count(); i += 2)
                selected.push_back(i);
            start = Clock::now();
            list.Delete(std::move(selected));
        } else {
            list.ResetAll();
        }
        return Report(list, SecondsSince(start));
    }
    std::fprintf(stderr, "usage: %s find DIRECTORY | make FILE ROWS | open FILE | save FILE OUT | delete FILE | reset FILE\n",
                 argv[0]);
    return 2;
}
