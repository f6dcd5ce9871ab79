#include "settings/CTreeDeletePath.h"

#include <algorithm>
#include <cctype>

namespace skerrow {

std::string NormaliseTreeDeletePath(const std::string& typed)
{
    size_t start = 0;
    while (start < typed.size() && std::isspace(static_cast<unsigned char>(typed[start])))
        ++start;
    std::string path = typed.substr(start);

    if (path.size() >= 2 && path[0] == '/')
        path.erase(0, 1);

    std::replace(path.begin(), path.end(), '\\', '/');

    std::string collapsed;
    collapsed.reserve(path.size());
    for (char c : path) {
        if (c == '/' && !collapsed.empty() && collapsed.back() == '/')
            continue;
        collapsed += c;
    }

    return collapsed.empty() ? std::string("/") : collapsed;
}

} // namespace skerrow
