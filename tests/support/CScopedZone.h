#pragma once
// Puts the process in a time zone (TZ) for the life of the object, then restores the one before.

#include <string>

namespace skerrow::test {

class CScopedZone {
public:
    explicit CScopedZone(const char* zone);
    ~CScopedZone();
    CScopedZone(const CScopedZone&) = delete;
    CScopedZone& operator=(const CScopedZone&) = delete;

private:
    bool m_had = false;
    std::string m_old;
};

} // namespace skerrow::test
