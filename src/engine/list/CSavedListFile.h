#pragma once
// The saved list: the transfer list and the run state in a tab-separated text file.
//
// Line 1 is the run state ("%d"); then one line per row, "%d\t%s\t%s\t%s": the row word, the
// File name, Size KB and Errors texts. Every line ends with CR LF on disk; reading accepts CR LF or
// LF alone. Reading never fails on what a line holds: fields are split on tabs the way strtok does
// (runs of tabs count as one separator, so empty fields vanish), a line without fields is skipped,
// a field that is not a number reads as 0.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "list/CTransferList.h"

namespace skerrow {

class CSavedListFile {
public:
    virtual ~CSavedListFile() = default;

    // Writes the file (replacing it). False when it cannot be written; error() then says why.
    bool Write(const std::string& path, int runState, const std::vector<CTransferRow>& rows);

    // Reads the file. False when it cannot be opened or read; error() then says why.
    bool Read(const std::string& path, int& runState, std::vector<CTransferRow>& rows);

    // The same rules on text already in memory (the file's whole contents).
    static void Parse(std::string_view contents, int& runState, std::vector<CTransferRow>& rows);
    static std::string Format(int runState, const std::vector<CTransferRow>& rows);

    const std::string& error() const { return m_error; }

private:
    std::string m_error;
};

// atoi's rules without its undefined overflow: blanks, optional sign, digits up to the first other
// character; nothing gives 0; values beyond 32 bits are clamped.
int32_t LeadingInt(std::string_view text);

} // namespace skerrow
