// Runs random run schedules (Stop, edits, Properties, second commands, close, server stalls and
// deaths) against pyftpdlib, vsftpd and the misbehaving server in turn, and prints every broken
// promise with its seed, then "schedules: N, violations: V".
//
// usage: soak_bench [N]

#include <cstdio>
#include <cstdlib>
#include <random>

#include "support/CRunSoak.h"

using skerrow::test::CRunSoak;
using skerrow::test::FtpServerKind;

int main(int argc, char** argv)
{
    const long schedules = argc > 1 ? std::atol(argv[1]) : 30;
    const FtpServerKind kinds[] = {FtpServerKind::Pyftpdlib, FtpServerKind::Vsftpd, FtpServerKind::Misbehaving};
    std::random_device device;
    long run = 0;
    long violations = 0;
    for (long i = 0; i < schedules; ++i) {
        const uint64_t seed = uint64_t(device()) << 32 | device();
        CRunSoak soak(kinds[i % 3], seed);
        const std::vector<std::string> broken = soak.Run();
        if (!broken.empty() && broken[0].rfind("skip:", 0) == 0) {
            std::fprintf(stderr, "%s\n", broken[0].c_str());
            continue;
        }
        ++run;
        violations += static_cast<long>(broken.size());
        for (const std::string& line : broken)
            std::printf("%s\n", line.c_str());
    }
    std::printf("schedules: %ld, violations: %ld\n", run, violations);
    return violations == 0 ? 0 : 1;
}
