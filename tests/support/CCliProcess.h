#pragma once
// Runs the headless command (the real binary beside the test binaries) to its end, with standard
// input empty and both outputs captured.

#include <string>
#include <vector>

namespace skerrow::test {

struct CCliResult {
    int exitCode = -1; // -1 when it could not be started or did not end normally
    std::string out;
    std::string err;
};

class CCliProcess {
public:
    virtual ~CCliProcess() = default;
    static std::string BinaryPath();
    // extraEnvironment: "NAME=VALUE" entries added to (or replacing those of) this process's.
    static CCliResult Run(const std::vector<std::string>& args, const std::vector<std::string>& extraEnvironment = {});
};

} // namespace skerrow::test
