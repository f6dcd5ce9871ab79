#pragma once
// Sets or removes environment variables for the life of the object, then puts back what was there.

#include <map>
#include <optional>
#include <string>

namespace skerrow::test {

class CScopedEnv {
public:
    CScopedEnv() = default;
    // One variable: set to value, or removed when value is nullopt.
    CScopedEnv(const char* name, const std::optional<std::string>& value);
    ~CScopedEnv();
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

    void Set(const char* name, const std::string& value);
    void Unset(const char* name);

private:
    void Remember(const char* name);

    std::map<std::string, std::optional<std::string>> m_saved;
};

} // namespace skerrow::test
