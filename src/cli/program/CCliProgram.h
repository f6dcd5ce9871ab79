#pragma once
// The headless command from its command line to its exit code: the settings file located and
// checked, the password taken, the session set up and the command run.

#include <string>
#include <vector>

namespace skerrow::cli {

class CCliProgram {
public:
    virtual ~CCliProgram() = default;
    // args without the program name; returns the exit code.
    int Run(const std::vector<std::string>& args);
};

} // namespace skerrow::cli
