#pragma once
// The tree-delete worker: lists the server tree named by the settings (unless the list is to be
// used as it is), asks for confirmation, and deletes what was listed.

#include "run/CRunWorker.h"

namespace skerrow {

class CTreeDeleteWorker : public CRunWorker {
public:
    using CRunWorker::CRunWorker;
    // 0 when it ends before asking for confirmation, 1 otherwise.
    int Run() override;

private:
    int Steps();
    void WalkTree(const std::string& directory);
    // A Stop during the walk: nothing is deleted and the user is told so.
    int EndStopped();
    // The question before the deletion; one that names the whole account says so in words.
    static std::string ConfirmationText(const std::string& root);
};

} // namespace skerrow
