#pragma once
// The transfer worker: the upload pass over the list, then the new last-upload date, the run state
// and the count of failed rows.

#include <string>
#include <vector>

#include "run/CRunWorker.h"

namespace skerrow {

class CTransferWorker : public CRunWorker {
public:
    using CRunWorker::CRunWorker;
    int Run() override;

private:
    void WriteLastRun(const CDateTime& taken);
    // The local files of the PC-file rows that are not Done.
    std::vector<std::string> UnsentLocalPaths() const;
};

} // namespace skerrow
