#include "support/RowNames.h"

#include <algorithm>

#include "list/CTransferList.h"

namespace skerrow::test {

std::vector<std::string> RowNames(const CTransferList& list)
{
    std::vector<std::string> names;
    for (const CTransferRow& row : list.Snapshot())
        names.push_back(row.name);
    return names;
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace skerrow::test
