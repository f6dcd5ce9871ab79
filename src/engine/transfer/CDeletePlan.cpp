#include "transfer/CDeletePlan.h"

#include "app/CStringTable.h"
#include "list/RowWord.h"

namespace skerrow {

CDeletePlan CDeletePlan::TreeDelete(const std::string& treeDirectory)
{
    return CDeletePlan(CRemotePath::Root(treeDirectory), kKindFtpEntry);
}

CDeletePlan CDeletePlan::Leftovers(const std::string& startDirectory, const CLocalCounterpart& local)
{
    CDeletePlan plan(CRemotePath::Root(startDirectory), kKindLeftover);
    plan.m_local = local;
    return plan;
}

std::optional<CDeletePlan::Entry> CDeletePlan::Take(const std::string& rowName, std::string& why) const
{
    std::optional<CRemotePath> path = m_root.Within(rowName);
    if (!path) {
        why = FormatText(Tr("T.EntryOutside", "Not deleted: %s does not lie below %s.").c_str(), rowName.c_str(),
                         m_root.Full().c_str());
        return std::nullopt;
    }
    return Entry{std::move(*path), !rowName.empty() && rowName.back() == '/'};
}

bool CDeletePlan::MayDelete(const Entry& entry, std::string& why) const
{
    if (!m_local)
        return true;
    const std::string relative = entry.path.Relative();
    const bool kept = entry.directory ? m_local->KeepsDirectory(relative) : m_local->KeepsFile(relative);
    if (kept)
        why = FormatText(Tr("T.LeftoverBack", "Not deleted: the PC folder has %s, or a rule keeps it.").c_str(), relative.c_str());
    return !kept;
}

} // namespace skerrow
