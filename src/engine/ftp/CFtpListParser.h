#pragma once
// Reads the lines of an FTP directory listing: unix "ls -l" lines and MLSD fact lines.

#include <string>
#include <vector>

#include "ftp/CFindRecord.h"

namespace skerrow {

class CFtpListParser {
public:
    virtual ~CFtpListParser() = default;

    // One listing line; false for lines that name no entry ("total 12", blank, unreadable).
    static bool ParseLine(const std::string& line, CFindRecord& record);
    // Every entry of a whole listing, in the server's order.
    static std::vector<CFindRecord> ParseListing(const std::string& listing);

private:
    static bool ParseUnixLine(const std::string& line, CFindRecord& record);
    static bool ParseMlsdLine(const std::string& line, CFindRecord& record);
};

} // namespace skerrow
