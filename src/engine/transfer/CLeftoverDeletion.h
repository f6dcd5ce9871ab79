#pragma once
// Transfer/Delete over a list that also holds server leftovers (delete rows among upload rows):
// asks once, before anything is sent, whether the leftovers are to be deleted, saying how many
// files and directories and where (No is the default); after the upload pass, deletes them, each
// only if the PC folder still lacks it right before its command.

#include <cstddef>
#include <string>
#include <vector>

#include "transfer/CTransferContext.h"

namespace skerrow {

class CLeftoverDeletion {
public:
    // rules: the exclusion rules of the run, which keep server entries as they keep local ones.
    CLeftoverDeletion(CTransferContext& context, std::vector<std::string> rules)
        : m_context(context), m_rules(std::move(rules))
    {
    }
    virtual ~CLeftoverDeletion() = default;

    // Counts the leftover rows not yet Done; when there are any, asks. True when they are to go.
    bool Confirm();
    // The delete pass over the leftover rows; nothing after a Stop, nor while a file to send is not
    // Done, nor when the PC folder holds no file at all (an unmounted share would empty the site).
    void Run();

    size_t Files() const { return m_files; }
    size_t Directories() const { return m_directories; }
    static std::string QuestionText(size_t files, size_t directories, const std::string& where);

private:
    CTransferContext& m_context;
    std::vector<std::string> m_rules;
    size_t m_files = 0;
    size_t m_directories = 0;
};

} // namespace skerrow
