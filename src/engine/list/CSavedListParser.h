#pragma once
// Reads the lines of a saved list as they come, in pieces of any size, into packed rows: the first
// line gives the run state, each further line a row. The rules are those of the saved list
// (see CSavedListFile): fields split on tabs the way strtok does, a line without fields skipped, a
// NUL byte ends a line's text, a line that is no row continues the Errors text of the row before.
// A row is kept back until the line after it shows that its text is complete.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "list/CPackedRow.h"

namespace skerrow {

class CSavedListParser {
public:
    explicit CSavedListParser(std::vector<CPackedRow>& rows) : m_rows(rows) {}
    virtual ~CSavedListParser() = default;

    // The next bytes of the file; a line may end in a later piece.
    void Feed(std::string_view bytes);
    // The end of the file: a last line without a line end counts too, and the last row is given.
    void Finish();

    // The run state of line 1 (0 when the file is empty or the line is no number).
    int RunState() const { return m_runState; }

private:
    // The last row read, while the lines after it may still add to its Errors text.
    struct Row {
        int32_t word = 0;
        std::string name;
        std::string size;
        std::string error;
        bool hasError = false; // the line had an Errors field
    };

    void Line(std::string_view line);
    void GiveRow();

    std::vector<CPackedRow>& m_rows;
    std::optional<Row> m_row;
    size_t m_blankLines = 0; // lines without fields since m_row's text
    // The start of a line whose end has not come yet.
    std::string m_partial;
    bool m_anyBytes = false;
    bool m_firstLine = true;
    int m_runState = 0;
};

} // namespace skerrow
