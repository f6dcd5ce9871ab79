#include "support/SiteWalk.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "discovery/CUploadDirWalk.h"
#include "list/CTransferList.h"

namespace skerrow::test {

std::vector<std::string> WalkSite(const std::filesystem::path& site, const std::vector<std::string>* rules)
{
    CTransferList list;
    CUploadDirWalk walk;
    walk.Setup(&list, site.string(), true);
    if (rules)
        walk.SetExclusions(*rules);
    EXPECT_TRUE(walk.Walk(site.string(), "*.*"));
    std::vector<std::string> names;
    for (const CTransferRow& row : list.Snapshot())
        names.push_back(row.name);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace skerrow::test
