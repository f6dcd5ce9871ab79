#pragma once
// The second half of Find Files and Server Leftovers: after the local find has listed the changed
// files, walks the server below the start directory and appends, as leftover rows, what the folder
// no longer has. Nothing is sent or deleted; Transfer/Delete does that, after asking. A walk that
// would make most of the site leftovers (an empty or wrong PC folder) lists none of them.

#include <cstddef>

#include "run/CRunWorker.h"

namespace skerrow {

class CLeftoverDirWalk;

class CLeftoverFindWorker : public CRunWorker {
public:
    using CRunWorker::CRunWorker;
    int Run() override;

    // Whether deleting leftovers of serverFiles would empty the site rather than tidy it: the PC
    // folder holds no file at all, or more than half of the server's files (and more than two) go.
    static bool IsMassDeletion(size_t leftovers, size_t serverFiles, bool emptyFolder);

private:
    int Steps();
    // Refuses, with the numbers, a mass deletion that no --max-delete allows; true when refused.
    // emptyFolder: the PC folder holds no file to send.
    bool RefuseMassDeletion(const CLeftoverDirWalk& walk, bool emptyFolder);
};

} // namespace skerrow
