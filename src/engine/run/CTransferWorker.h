#pragma once
// The transfer worker: the upload pass over the list, then the new last-upload date, the run state
// and the count of failed rows.

#include <string>
#include <vector>

#include "run/CRunWorker.h"
#include "transfer/CTransferContext.h"

namespace skerrow {

class CTransferWorker : public CRunWorker {
public:
    using CRunWorker::CRunWorker;
    int Run() override;

private:
    // The upload pass on the run's own connection and the further ones the settings ask for.
    void UploadOnSeveralConnections(CTransferContext& transfer);
    void WriteLastRun(const CDateTime& taken);
    // The local files of the PC-file rows that are not Done.
    std::vector<std::string> UnsentLocalPaths() const;
};

} // namespace skerrow
