#pragma once
// Random schedules of what users and servers do while runs go: Stop, the Delete key, File > Open,
// Properties, a second run command, closing the window, a server that stalls or dies, at random
// moments, over a site of a few dozen files of varied sizes. After each schedule it checks what a
// run promises:
//   - every file of the site is on the server byte for byte, or the next find lists it again;
//   - no file was written outside the start directory;
//   - no row is Done whose server copy differs from the local file;
//   - every Stop and the close ended within StopTimeout + 1 s.
// A seed names each schedule, so a failure can be run again alone.

#include <cstdint>
#include <string>
#include <vector>

#include "support/CFtpServerProcess.h"

namespace skerrow::test {

class CRunSoak {
public:
    CRunSoak(FtpServerKind kind, uint64_t seed) : m_kind(kind), m_seed(seed) {}
    virtual ~CRunSoak() = default;

    // Runs the schedule; the broken promises, each with the seed (empty: none). A server that
    // cannot start gives one line beginning "skip:".
    std::vector<std::string> Run();
    // What the schedule did, one action a line (for a failure's report).
    const std::vector<std::string>& Actions() const { return m_actions; }

private:
    FtpServerKind m_kind;
    uint64_t m_seed;
    std::vector<std::string> m_actions;
};

} // namespace skerrow::test
