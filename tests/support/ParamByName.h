#pragma once
// Names the cases of a parameterized test after the `name` member of their parameter.

#include <string>

namespace skerrow::test {

struct ParamByName {
    template <class Info>
    std::string operator()(const Info& info) const
    {
        return std::string(info.param.name);
    }
};

} // namespace skerrow::test
