#pragma once
// The saved list: the transfer list and the run state in a tab-separated text file.
//
// Line 1 is the run state ("%d"); then one line per row, "%d\t%s\t%s\t%s": the row word, the
// File name, Size KB and Errors texts. Every line ends with CR LF on disk; reading accepts CR LF or
// LF alone. Reading never fails on what a line holds: fields are split on tabs the way strtok does
// (runs of tabs count as one separator, so empty fields vanish), a line without fields is skipped,
// a field that is not a number reads as 0.
//
// The Errors text keeps its line breaks: in the file a line feed is written "\n", a carriage return
// "\r", a tab "\t" and a backslash "\\". Reading turns those four back and leaves any other
// backslash as it stands, so a list written before they were escaped reads as it did.
// Such a list may also hold the line breaks themselves: after a row with an Errors text, a line that
// is no row (it does not begin with a whole number and a File name) is read as the rest of that text.
//
// The file is read as a stream into packed rows. A file that cannot be a saved list is refused
// before any of it is used: one larger than 1 GiB, or one holding a NUL byte (binary data; the
// program never writes one).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "list/CPackedRow.h"
#include "list/CTransferRow.h"

namespace skerrow {

class CSavedListFile {
public:
    // Why a file was refused as no saved list.
    enum class Refusal { None, TooLarge, NotText };
    static constexpr uint64_t kMaxBytes = uint64_t(1) << 30;

    virtual ~CSavedListFile() = default;

    // Writes the file (replacing it). False when it cannot be written; error() then says why.
    bool Write(const std::string& path, int runState, const std::vector<CPackedRow>& rows);
    // The same, written to a new file of its own beside path (mode 0600), flushed to the disk and
    // renamed over path: path is the old list or the whole new one, never half of it, and a link
    // planted beside it is never written through. A link at path itself is replaced, not followed.
    bool WriteReplacing(const std::string& path, int runState, const std::vector<CPackedRow>& rows);

    // Reads the file. False when it cannot be opened or read (error() says why) or is refused
    // (refusal() says why); runState and rows are then unchanged.
    bool Read(const std::string& path, int& runState, std::vector<CPackedRow>& rows);

    // The same rules on text already in memory (the file's whole contents); nothing is refused.
    static void Parse(std::string_view contents, int& runState, std::vector<CTransferRow>& rows);
    static std::string Format(int runState, const std::vector<CTransferRow>& rows);

    // The Errors field as written, and back.
    static std::string EscapeError(std::string_view text);
    static std::string UnescapeError(std::string_view field);

    const std::string& error() const { return m_error; }
    Refusal refusal() const { return m_refusal; }

private:
    bool Refuse(Refusal refusal);
    bool WriteRows(int fd, int runState, const std::vector<CPackedRow>& rows);
    // error() from errno's code (EIO for none); false.
    bool Fail(int code);

    std::string m_error;
    Refusal m_refusal = Refusal::None;
};

// atoi's rules without its undefined overflow: blanks, optional sign, digits up to the first other
// character; nothing gives 0; values beyond 32 bits are clamped.
int32_t LeadingInt(std::string_view text);

} // namespace skerrow
