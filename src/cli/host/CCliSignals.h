#pragma once
// Ctrl+C and a polite kill (SIGINT, SIGTERM) ask the run to stop, as the Stop button does; the main
// loop sees the request, and find between the lines it prints. A closed output pipe (SIGPIPE) does
// not end the program.

namespace skerrow::cli {

class CCliSignals {
public:
    virtual ~CCliSignals() = default;
    static void Install();
    // A stop was asked for since the program began.
    static bool StopRequested();
};

} // namespace skerrow::cli
