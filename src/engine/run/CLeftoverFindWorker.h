#pragma once
// The second half of Find Files and Server Leftovers: after the local find has listed the changed
// files, walks the server below the start directory and appends, as delete rows, what the folder no
// longer has. Nothing is sent or deleted; Transfer/Delete does that, after asking.

#include "run/CRunWorker.h"

namespace skerrow {

class CLeftoverFindWorker : public CRunWorker {
public:
    using CRunWorker::CRunWorker;
    int Run() override;

private:
    int Steps();
};

} // namespace skerrow
