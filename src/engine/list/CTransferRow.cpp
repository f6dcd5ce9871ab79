#include "list/CTransferRow.h"

namespace skerrow {

std::string CTransferRow::LocalName() const
{
    return !name.empty() && name[0] == '/' ? name.substr(1) : name;
}

std::string CTransferRow::LocalPath(const std::string& pcDir) const
{
    return pcDir + "/" + LocalName();
}

} // namespace skerrow
