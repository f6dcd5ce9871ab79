#include "run/CLastRunPolicy.h"

#include <sys/stat.h>

namespace skerrow {

CDateTime CLastRunPolicy::Next(const CDateTime& taken, const CDateTime& previous,
                               const std::vector<std::string>& unsentPaths)
{
    std::time_t bound = taken.ToUtc();
    for (const std::string& path : unsentPaths) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            continue;
        // The date is kept to the minute: a whole minute before the file, so that it is found
        // whatever its seconds.
        const std::time_t before = info.st_mtime - 60;
        if (before < bound)
            bound = before;
    }
    if (bound >= taken.ToUtc())
        return taken;
    CDateTime next = CDateTime::FromUtc(bound);
    next.second = 0;
    return next.ToUtc() < previous.ToUtc() ? previous : next;
}

} // namespace skerrow
