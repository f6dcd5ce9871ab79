#pragma once
// Transfer/Delete over a list that also holds server leftovers (delete rows among upload rows):
// asks once, before anything is sent, whether the leftovers are to be deleted, saying how many
// files and directories and where (No is the default); after the upload pass, deletes them.

#include <cstddef>
#include <string>

#include "transfer/CTransferContext.h"

namespace skerrow {

class CLeftoverDeletion {
public:
    explicit CLeftoverDeletion(CTransferContext& context) : m_context(context) {}
    virtual ~CLeftoverDeletion() = default;

    // Counts the delete rows not yet Done; when there are any, asks. True when they are to go.
    bool Confirm();
    // The delete pass over the delete rows, from the server's root; nothing after a Stop, nor while
    // a file to send is not Done.
    void Run();

    size_t Files() const { return m_files; }
    size_t Directories() const { return m_directories; }
    static std::string QuestionText(size_t files, size_t directories, const std::string& where);

private:
    CTransferContext& m_context;
    size_t m_files = 0;
    size_t m_directories = 0;
};

} // namespace skerrow
