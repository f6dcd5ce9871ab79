#pragma once
// The names of a list's rows, in list order, and a sorted copy of names.

#include <string>
#include <vector>

namespace skerrow {
class CTransferList;
}

namespace skerrow::test {

std::vector<std::string> RowNames(const CTransferList& list);
std::vector<std::string> Sorted(std::vector<std::string> names);

} // namespace skerrow::test
