#pragma once
// The FTP walk of a tree deletion: every file and every directory found becomes a Pending FTP-entry
// row of the transfer list, in the order found (each directory after its contents).

#include "discovery/CFTPDirWalk.h"

namespace skerrow {

class CTransferList;

class CTreeDelDirWalk : public CFTPDirWalk {
public:
    // Rows go into list from index 0 on; with no list nothing is inserted.
    void Setup(CTransferList* list);
    int RowCounter() const { return m_rowCounter; }

protected:
    void OnFileFound(const CFindRecord& record, CFtpConnection& connection) override;
    void OnDirectoryDone(const CFindRecord& record, CFtpConnection& connection) override;

private:
    CTransferList* m_list = nullptr;
    int m_rowCounter = 0;
};

} // namespace skerrow
