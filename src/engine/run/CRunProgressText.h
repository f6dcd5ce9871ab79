#pragma once
// The words of a pass's progress, for the status bar and the window title.

#include <cstdint>
#include <string>

#include "transfer/CRunProgress.h"

namespace skerrow {

class CRunProgressText {
public:
    virtual ~CRunProgressText() = default;

    // "280 sent, 1 failed, 21 to go, 0:12 left, 1.2 MB of 5.0 MB, 300.0 KB/s" (no "failed" while
    // none has); a delete: "3 deleted, 6 to go, 0:05 left". "" when no pass is under way.
    static std::string Describe(const CRunProgressSnapshot& progress);
    // "[42 %] " before the window title while a pass is under way, else "".
    static std::string TitlePrefix(const CRunProgressSnapshot& progress);

    // "512 bytes", "1.5 KB", "12.3 MB", "1.0 GB" (1 KB = 1024 bytes).
    static std::string Size(uint64_t bytes);
    // "0:07", "12:34", "1:02:03".
    static std::string Duration(int64_t seconds);
};

} // namespace skerrow
