#pragma once
// What the headless command tells its caller when it ends.

namespace skerrow::cli {

enum CliExitCode : int {
    kExitAllSent = 0,      // everything asked for was done
    kExitSomeFailed = 1,   // some files or entries failed, or the run was stopped
    kExitUsage = 2,        // a usage or settings error: nothing was attempted
    kExitNoConnection = 3, // the server could not be reached or refused the login
};

} // namespace skerrow::cli
