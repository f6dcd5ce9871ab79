#pragma once
// The 32-bit word each transfer list row carries: state in bits 0-3, kind in bits 4-15.

#include <cstdint>

namespace skerrow {

enum RowState : int32_t { kRowPending = 0, kRowDone = 1, kRowFailed = 2 };
// A server entry is either one of a tree delete (below the tree's directory) or a server leftover
// (below the Start Dir, deleted only while the PC folder still lacks it): each keeps its kind in a
// saved list, so a refused tree delete never comes back as leftovers.
enum RowKind : int32_t { kKindPcFile = 0, kKindFtpEntry = 3, kKindLeftover = 4 };

inline int32_t RowStateOf(int32_t word) { return word & 0xF; }
inline int32_t RowKindOf(int32_t word) { return (word >> 4) & 0xFFF; }
// A row that names a server entry to delete, of a tree delete or a leftover.
inline bool IsServerEntry(int32_t word)
{
    const int32_t kind = RowKindOf(word);
    return kind == kKindFtpEntry || kind == kKindLeftover;
}

// A change of state keeps the kind; bits above 15 are cleared.
inline int32_t WithRowState(int32_t word, int32_t state) { return (word & 0xFFF0) | state; }

// Image shown for a row: Done and Failed have their own, any other state shows the kind's image.
inline int RowImage(int32_t word)
{
    const int32_t state = RowStateOf(word);
    if (state == kRowDone)
        return 1;
    if (state == kRowFailed)
        return 2;
    // Both kinds of server entry show the same "to delete" image.
    return RowKindOf(word) == kKindLeftover ? static_cast<int>(kKindFtpEntry) : static_cast<int>(word >> 4);
}

// Size in kilobytes as shown: (low 32 bits of the size + 1024) / 1024, unsigned 32-bit.
inline uint32_t SizeInKb(uint64_t bytes)
{
    const uint32_t low = static_cast<uint32_t>(bytes);
    return static_cast<uint32_t>(low + 1024u) >> 10;
}

} // namespace skerrow
