#include "list/CPackedRow.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace skerrow {
namespace {

static_assert(sizeof(void*) != 8 || sizeof(CPackedRow) == 32, "a packed row is meant to take 32 bytes");

std::string_view Capped(std::string_view text)
{
    return text.substr(0, std::min<size_t>(text.size(), std::numeric_limits<uint32_t>::max()));
}

} // namespace

CPackedRow::CPackedRow(int32_t word_, std::string_view name, std::string_view size, std::string_view error, RowId id_)
    : id(id_), word(word_)
{
    Assign(name, size, error);
}

CPackedRow::CPackedRow(const CTransferRow& row) : CPackedRow(row.word, row.name, row.size, row.error, row.id) {}

CPackedRow::CPackedRow(const CPackedRow& other) : id(other.id), word(other.word)
{
    Assign(other.Name(), other.Size(), other.Error());
}

CPackedRow& CPackedRow::operator=(const CPackedRow& other)
{
    if (this != &other) {
        id = other.id;
        word = other.word;
        Assign(other.Name(), other.Size(), other.Error());
    }
    return *this;
}

void CPackedRow::Assign(std::string_view name, std::string_view size, std::string_view error)
{
    name = Capped(name);
    size = Capped(size);
    error = Capped(error);
    const size_t length = name.size() + size.size() + error.size();
    // The texts may lie in this row's own block: they are copied out before it goes.
    std::unique_ptr<char[]> text;
    if (length > 0) {
        text = std::make_unique_for_overwrite<char[]>(length);
        char* out = text.get();
        for (std::string_view part : {name, size, error}) {
            if (!part.empty())
                std::memcpy(out, part.data(), part.size());
            out += part.size();
        }
    }
    m_text = std::move(text);
    m_nameLength = static_cast<uint32_t>(name.size());
    m_sizeLength = static_cast<uint32_t>(size.size());
    m_errorLength = static_cast<uint32_t>(error.size());
}

std::string_view CPackedRow::Text(int column) const
{
    switch (column) {
    case kColName: return Name();
    case kColSize: return Size();
    case kColErrors: return Error();
    default: return {};
    }
}

bool CPackedRow::SetText(int column, std::string_view text)
{
    switch (column) {
    case kColName: Assign(text, Size(), Error()); return true;
    case kColSize: Assign(Name(), text, Error()); return true;
    case kColErrors:
        // The common change after a transfer: the error goes, and the block can stay as it is.
        if (text.empty()) {
            m_errorLength = 0;
            if (TextLength() == 0)
                m_text.reset();
            return true;
        }
        Assign(Name(), Size(), text);
        return true;
    default: return false;
    }
}

CTransferRow CPackedRow::Unpacked() const
{
    return CTransferRow{word, std::string(Name()), std::string(Size()), std::string(Error()), id};
}

} // namespace skerrow
