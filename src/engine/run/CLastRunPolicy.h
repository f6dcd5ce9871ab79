#pragma once
// The last-upload date a pass may store. Every file changed since the previous date must end up on
// the server or be listed again by the next find; so the date never moves past the modification
// time of a listed file that was not sent. It is set just before the oldest such file (the files
// sent after that time are simply sent again next time), and never earlier than the previous date.

#include <string>
#include <vector>

#include "settings/CDateTime.h"

namespace skerrow {

class CLastRunPolicy {
public:
    virtual ~CLastRunPolicy() = default;

    // taken: when the list was taken; previous: the stored date the find used; unsentPaths: the
    // local files of the rows that are not Done (a file that no longer exists sets no bound).
    static CDateTime Next(const CDateTime& taken, const CDateTime& previous, const std::vector<std::string>& unsentPaths);
};

} // namespace skerrow
