#include "discovery/CTreeDelDirWalk.h"

#include "app/CStringTable.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"

namespace skerrow {

void CTreeDelDirWalk::Setup(CTransferList* list)
{
    m_list = list;
    m_rowCounter = 0;
}

void CTreeDelDirWalk::OnFileFound(const CFindRecord& record, CFtpConnection&)
{
    if (!m_list)
        return;
    constexpr int32_t kFtpEntryWord = kKindFtpEntry << 4;
    m_list->Insert(static_cast<size_t>(m_rowCounter), kFtpEntryWord, record.name,
                   FormatText("%u", SizeInKb(record.size)));
    ++m_rowCounter;
}

void CTreeDelDirWalk::OnDirectoryDone(const CFindRecord& record, CFtpConnection& connection)
{
    CTreeDelDirWalk::OnFileFound(record, connection);
}

} // namespace skerrow
