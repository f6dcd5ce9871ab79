#pragma once
// A transfer list row held compactly: its word, its id and its three texts in one heap block (none
// while all three are empty), 32 bytes besides the texts themselves. The list keeps its rows so; a
// list of a million rows then fits in well under a tenth of a gigabyte.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "list/CTransferRow.h"

namespace skerrow {

class CPackedRow {
public:
    CPackedRow() = default;
    // A text longer than 4 GiB is cut there.
    CPackedRow(int32_t word, std::string_view name, std::string_view size, std::string_view error, RowId id = 0);
    explicit CPackedRow(const CTransferRow& row);
    CPackedRow(const CPackedRow& other);
    CPackedRow& operator=(const CPackedRow& other);
    CPackedRow(CPackedRow&&) noexcept = default;
    CPackedRow& operator=(CPackedRow&&) noexcept = default;
    ~CPackedRow() = default;

    std::string_view Name() const { return {Data(), m_nameLength}; }
    std::string_view Size() const { return {Data() + m_nameLength, m_sizeLength}; }
    std::string_view Error() const { return {Data() + m_nameLength + m_sizeLength, m_errorLength}; }
    // The text of column kColName, kColSize or kColErrors; "" for any other.
    std::string_view Text(int column) const;
    // False, and nothing changes, for a column without text.
    bool SetText(int column, std::string_view text);

    CTransferRow Unpacked() const;

    RowId id = 0;
    int32_t word = 0;

private:
    const char* Data() const { return m_text ? m_text.get() : ""; }
    size_t TextLength() const { return size_t(m_nameLength) + m_sizeLength + m_errorLength; }
    void Assign(std::string_view name, std::string_view size, std::string_view error);

    // In this order the row takes 32 bytes.
    uint32_t m_nameLength = 0;
    uint32_t m_sizeLength = 0;
    uint32_t m_errorLength = 0;
    std::unique_ptr<char[]> m_text;
};

} // namespace skerrow
