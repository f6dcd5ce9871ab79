#pragma once
// What a delete pass may delete: the entries of one tree delete, below the tree's directory, or the
// server leftovers of one run, below the Start Dir and only while the PC folder still lacks them.
// Each entry is checked again right before its DELE or RMD: the pass asks the plan, it never decides
// alone. What a walk vouched for (no link entered, every listing complete) holds because a walk
// that failed hands over no row at all.

#include <cstdint>
#include <optional>
#include <string>

#include "discovery/CLocalCounterpart.h"
#include "ftp/CRemotePath.h"

namespace skerrow {

class CDeletePlan {
public:
    struct Entry {
        CRemotePath path;
        bool directory = false;
    };

    // The entries of a tree delete of treeDirectory (absolute).
    static CDeletePlan TreeDelete(const std::string& treeDirectory);
    // The leftovers below startDirectory (absolute), told from the site by local.
    static CDeletePlan Leftovers(const std::string& startDirectory, const CLocalCounterpart& local);

    // The kind of the rows this plan deletes (RowKind); rows of any other kind are left alone.
    int32_t RowKind() const { return m_rowKind; }
    const CRemotePath& Root() const { return m_root; }

    // A row's entry (an absolute server path, "/" at the end for a directory); none, with the
    // reason, when it names no place below the root.
    std::optional<Entry> Take(const std::string& rowName, std::string& why) const;
    // Right before the entry's command: false, with the reason, when it must stay.
    bool MayDelete(const Entry& entry, std::string& why) const;

private:
    CDeletePlan(CRemotePath root, int32_t rowKind) : m_root(std::move(root)), m_rowKind(rowKind) {}

    CRemotePath m_root;
    int32_t m_rowKind;
    std::optional<CLocalCounterpart> m_local; // leftovers only
};

} // namespace skerrow
