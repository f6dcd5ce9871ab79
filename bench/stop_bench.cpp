// The time from Stop to "Transfer Stopped", and from closing the window to the end of every
// thread, while a server in the middle of a large upload has stopped answering.
//
// usage: stop_bench [ROUNDS]

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "support/CRunBench.h"
#include "transfer/CFileSender.h"

using namespace skerrow;
using namespace skerrow::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Starts a large upload, waits until the server has its first bytes, then stops the server.
bool StallInTheMiddle(CRunBench& bench)
{
    bench.m_local.MakeFileOfSize("big.bin", 256u * 1024 * 1024);
    bench.WriteSetting("Data", "LastRun", "1000\\01\\01 01:01");
    bench.Controller().OnFindFilesTransfer();
    const auto served = bench.m_served.Path() / "site" / CFileSender::PartName("big.bin"); // sent under a temporary name
    const bool started = bench.m_host.PumpUntil(
        [&served] {
            std::error_code ec;
            return std::filesystem::file_size(served, ec) > 0 && !ec;
        },
        20s);
    bench.m_server->Suspend();
    bench.m_host.PumpUntil([] { return false; }, 300ms);
    return started;
}

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    double worstStop = 0;
    double worstClose = 0;
    for (int round = 0; round < rounds; ++round) {
        CRunBench bench;
        if (!bench.StartServer(FtpServerKind::Pyftpdlib)) {
            std::fprintf(stderr, "server: %s\n", bench.m_server->Error().c_str());
            return 1;
        }
        bench.WriteSetting("Advanced", "StopTimeout", "3"); // the program's defaults
        bench.Controller().SetConnectionTimeouts(30, 60);
        if (!StallInTheMiddle(bench))
            return 1;
        auto start = Clock::now();
        bench.Controller().StopActivity();
        if (!bench.m_host.PumpUntilIdle(120s))
            return 1;
        worstStop = std::max(worstStop, Seconds(start));

        bench.m_server->Resume();
        if (!StallInTheMiddle(bench))
            return 1;
        start = Clock::now();
        bench.Controller().StopActivity(); // closing the window with Yes: Stop, then the view goes
        bench.CloseController();
        worstClose = std::max(worstClose, Seconds(start));
    }
    std::printf("stop latency: %.3f s (timeout 3 s)\n", worstStop);
    std::printf("close latency: %.3f s (timeout 3 s)\n", worstClose);
    return 0;
}
