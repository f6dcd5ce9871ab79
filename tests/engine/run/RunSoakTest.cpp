// Random schedules of Stop, list edits, Properties, second run commands, closing the window and
// server stalls and deaths against each kind of server (see CRunSoak for what is checked).
// SKERROW_SOAK_SEED=N replays one schedule; SKERROW_SOAK_SCHEDULES sets how many run per server.

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "support/CRunSoak.h"

namespace skerrow {
namespace {

using test::CFtpServerProcess;
using test::CRunSoak;
using test::FtpServerKind;

uint64_t EnvNumber(const char* name, uint64_t fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

class RunSoakTest : public ::testing::TestWithParam<FtpServerKind> {};

TEST_P(RunSoakTest, RandomSchedulesKeepEveryPromise)
{
    const uint64_t replay = EnvNumber("SKERROW_SOAK_SEED", 0);
    const uint64_t schedules = replay ? 1 : EnvNumber("SKERROW_SOAK_SCHEDULES", 5);
    std::random_device device;
    for (uint64_t i = 0; i < schedules; ++i) {
        const uint64_t seed = replay ? replay : (uint64_t(device()) << 32 | device());
        CRunSoak soak(GetParam(), seed);
        const std::vector<std::string> violations = soak.Run();
        if (!violations.empty() && violations[0].rfind("skip:", 0) == 0)
            GTEST_SKIP() << violations[0];
        if (violations.empty())
            continue;
        std::string schedule;
        for (const std::string& action : soak.Actions())
            schedule += "  " + action + "\n";
        for (const std::string& violation : violations)
            ADD_FAILURE() << violation << "\nschedule:\n" << schedule << "replay: SKERROW_SOAK_SEED=" << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(Servers, RunSoakTest,
                         ::testing::Values(FtpServerKind::Pyftpdlib, FtpServerKind::Vsftpd, FtpServerKind::Misbehaving),
                         CFtpServerProcess::ParamName<::testing::TestParamInfo<FtpServerKind>>);

} // namespace
} // namespace skerrow
