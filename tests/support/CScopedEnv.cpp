#include "support/CScopedEnv.h"

#include <cstdlib>

namespace skerrow::test {

CScopedEnv::CScopedEnv(const char* name, const std::optional<std::string>& value)
{
    if (value)
        Set(name, *value);
    else
        Unset(name);
}

CScopedEnv::~CScopedEnv()
{
    for (const auto& [name, value] : m_saved) {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }
}

void CScopedEnv::Set(const char* name, const std::string& value)
{
    Remember(name);
    ::setenv(name, value.c_str(), 1);
}

void CScopedEnv::Unset(const char* name)
{
    Remember(name);
    ::unsetenv(name);
}

void CScopedEnv::Remember(const char* name)
{
    if (m_saved.count(name))
        return;
    const char* old = std::getenv(name);
    m_saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
}

} // namespace skerrow::test
