#pragma once
// The tree-delete worker: lists the server tree named by the settings (unless the list is to be
// used as it is), asks for confirmation, and deletes what was listed.

#include <string>

#include "run/CRunWorker.h"

namespace skerrow {

class CTreeDeleteWorker : public CRunWorker {
public:
    using CRunWorker::CRunWorker;
    // 0 when it ends before asking for confirmation, 1 otherwise.
    int Run() override;

private:
    int Steps();
    // False when the walk failed (nothing is listed then; m_walkFailure says why).
    bool WalkTree(const std::string& directory);
    // A failed walk: the user is told why, and nothing is deleted.
    int EndWalkFailed();
    // A Stop during the walk: nothing is deleted and the user is told so.
    int EndStopped();
    // The question before the deletion; one that names the whole account says so in words.
    static std::string ConfirmationText(const std::string& root);
    // "2,049 entries below /harbour: 1,900 files and 149 folders", from the listed rows.
    std::string WhatIsDeleted(const std::string& root) const;

    std::string m_walkFailure;
};

} // namespace skerrow
