#pragma once
// Reads the lines of an FTP directory listing: unix "ls -l" lines, MS-DOS style lines (as Windows
// servers send them) and MLSD fact lines.

#include <string>
#include <vector>

#include "ftp/CFindRecord.h"

namespace skerrow {

class CFtpListParser {
public:
    virtual ~CFtpListParser() = default;

    // One listing line, whatever its style; false for lines that name no entry ("total 12", blank,
    // unreadable).
    static bool ParseLine(const std::string& line, CFindRecord& record);
    // Every entry of a whole listing, in the server's order. An MLSD listing is read as fact lines
    // only (its names may look like anything); a LIST listing line by line in any style. An entry
    // is marked forged when its name is listed twice, when it is a directory whose name holds
    // " -> ", or when its line holds a CR, ends otherwise than the listing's last line, or lies
    // next to a line that names nothing (or follows one cut short): what a name with a line end
    // in it leaves behind.
    static std::vector<CFindRecord> ParseListing(const std::string& listing, bool mlsd = false);
    // The unique fact of the entry an MLST reply describes (its one line that starts with a
    // blank); "" when the reply gives none.
    static std::string MlstUnique(const std::string& reply);
    // Marks as a link each MLSD entry that the LIST listing of the same directory shows as a link:
    // MLSD may describe a link as what it points to. A directory in MLSD that LIST does not show as
    // a directory is marked too: the two disagree on what it is, so it is never entered. An entry
    // that LIST shows forged is marked forged.
    static void MarkLinks(std::vector<CFindRecord>& mlsd, const std::vector<CFindRecord>& list);

private:
    struct ListLine {
        int record = -1;          // the entry it names, if any
        bool cut = false;         // ended otherwise than the listing's last line
        bool breakInside = false; // holds a CR
        bool stray = false;       // names no entry and is no line a listing holds
    };

    static void MarkForged(std::vector<CFindRecord>& records, const std::vector<ListLine>& lines);
    static bool ParseUnixLine(const std::string& line, CFindRecord& record);
    static bool ParseDosLine(const std::string& line, CFindRecord& record);
    static bool ParseMlsdLine(const std::string& line, CFindRecord& record);
};

} // namespace skerrow
