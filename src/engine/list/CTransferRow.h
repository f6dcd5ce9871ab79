#pragma once
// One row of the transfer list as its users see it: the word and the three column texts.

#include <cstdint>
#include <string>

namespace skerrow {

enum ListColumn : int { kColStatus = 0, kColName = 1, kColSize = 2, kColErrors = 3 };

// A row's identity for as long as the list holds it: a pass names the row it works on by its id, so
// rows deleted or inserted meanwhile never make it mark another row.
using RowId = uint64_t;

struct CTransferRow {
    int32_t word = 0;
    std::string name;  // column 1, "File name"
    std::string size;  // column 2, "Size KB"
    std::string error; // column 3, "Errors"
    RowId id = 0;      // given by the list; 0 in a row not yet inserted

    // A file to send: its path below the PC directory ("/" separated, no leading "/"), and that
    // path joined to pcDir.
    std::string LocalName() const;
    std::string LocalPath(const std::string& pcDir) const;
};

} // namespace skerrow
