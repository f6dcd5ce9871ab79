#pragma once
// A worker routine of a run: the transfer worker or the tree-delete worker. Run is the thread's body
// and returns its exit code.

#include "transfer/CWorkerContext.h"

namespace skerrow {

class CRunWorker {
public:
    explicit CRunWorker(CWorkerContext context) : m_context(std::move(context)) {}
    virtual ~CRunWorker() = default;

    virtual int Run() = 0;

protected:
    // When a row is not Done the run state stays; when every row is (or the list is empty), 0.
    void CheckAllDone();
    // "Transmission failure, %d errors have been found." when any row is Failed.
    void ReportFailedRows();

    CWorkerContext m_context;
};

} // namespace skerrow
