#include "support/SiteWalk.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "discovery/CUploadDirWalk.h"
#include "list/CTransferList.h"
#include "support/RowNames.h"

namespace skerrow::test {

std::vector<std::string> WalkSite(const std::filesystem::path& site, const std::vector<std::string>* rules)
{
    CTransferList list;
    CUploadDirWalk walk;
    walk.Setup(&list, site.string(), true);
    if (rules)
        walk.SetExclusions(*rules);
    EXPECT_TRUE(walk.Walk(site.string(), "*.*"));
    return Sorted(RowNames(list));
}

} // namespace skerrow::test
