#pragma once
// Puts the process in a time zone (TZ) for the life of the object, then restores the one before.

#include <ctime>
#include <string>

namespace skerrow::test {

// Seconds since the epoch of a UTC date and time.
std::time_t UtcSeconds(int year, int month, int day, int hour, int minute, int second = 0);

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
