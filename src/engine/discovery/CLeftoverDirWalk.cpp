#include "discovery/CLeftoverDirWalk.h"

#include "app/CStringTable.h"
#include "ftp/CFtpConnection.h"
#include "ftp/CRemotePath.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"

namespace skerrow {

namespace {

std::string ParentOf(const std::string& relative)
{
    const size_t slash = relative.rfind('/');
    return slash == std::string::npos ? std::string() : relative.substr(0, slash);
}

} // namespace

void CLeftoverDirWalk::Setup(CTransferList* list, const std::string& serverStart, const std::string& localRoot,
                             const std::vector<std::string>& rules)
{
    m_list = list;
    m_start = CFtpConnection::ResolvePath("/", serverStart);
    m_localRoot = localRoot;
    while (m_localRoot.size() > 1 && m_localRoot.back() == '/')
        m_localRoot.pop_back();
    m_rules = rules;
    m_files = 0;
    m_directories = 0;
    m_serverFiles = 0;
    m_holding.clear();
}

bool CLeftoverDirWalk::WalkServer(CFtpConnection* connection)
{
    // Without a local folder every server file would look like a leftover.
    if (!m_local.Setup(m_localRoot, m_rules, CLocalNameIndex::Freshness::ReadOnce))
        return false;
    return Walk(connection, m_start.c_str(), "*");
}

void CLeftoverDirWalk::SetStopCheck(std::function<bool()> stopped)
{
    m_stopped = stopped;
    m_local.SetStopCheck(stopped);
    CFTPDirWalk::SetStopCheck(std::move(stopped));
}

std::string CLeftoverDirWalk::RelativePath(const std::string& start, const std::string& full)
{
    const std::optional<CRemotePath> place = CRemotePath::Root(start).Within(full);
    return place ? place->Relative() : std::string();
}

void CLeftoverDirWalk::HoldParents(const std::string& relative)
{
    for (std::string parent = ParentOf(relative); !parent.empty(); parent = ParentOf(parent))
        m_holding.insert(parent);
}

bool CLeftoverDirWalk::ShouldEnter(const CFindRecord& record)
{
    const std::string relative = RelativePath(m_start, record.name);
    if (relative.empty())
        return false;
    if (m_local.ExcludesDirectory(relative)) {
        HoldParents(relative);
        return false;
    }
    return true;
}

// Left on the server, it keeps the directories that hold it.
void CLeftoverDirWalk::OnAlreadyEntered(const CFindRecord& record)
{
    const std::string relative = RelativePath(m_start, record.name);
    if (!relative.empty())
        HoldParents(relative);
}

void CLeftoverDirWalk::OnFileFound(const CFindRecord& record, CFtpConnection&)
{
    const std::string relative = RelativePath(m_start, record.name);
    if (relative.empty())
        return;
    ++m_serverFiles;
    if (m_local.KeepsFile(relative)) {
        HoldParents(relative);
        return;
    }
    AddRow(record);
    ++m_files;
}

void CLeftoverDirWalk::OnDirectoryDone(const CFindRecord& record, CFtpConnection&)
{
    const std::string relative = RelativePath(m_start, record.name);
    if (relative.empty())
        return;
    if (m_holding.count(relative) != 0 || m_local.KeepsDirectory(relative)) {
        HoldParents(relative);
        return;
    }
    AddRow(record);
    ++m_directories;
}

void CLeftoverDirWalk::AddRow(const CFindRecord& record)
{
    // A stopped walk lists nothing more, also when the stop came during the look-up that led here;
    // the look-ups after it read no more of the folder.
    if (Stopped())
        return;
    if (m_list)
        m_list->Insert(m_list->Count(), kKindLeftover << 4, record.name, FormatText("%u", SizeInKb(record.size)));
}

} // namespace skerrow
