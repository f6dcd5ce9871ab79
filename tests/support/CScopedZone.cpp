#include "support/CScopedZone.h"

#include <cstdlib>
#include <ctime>

namespace skerrow::test {

std::time_t UtcSeconds(int year, int month, int day, int hour, int minute, int second)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return ::timegm(&fields);
}

CScopedZone::CScopedZone(const char* zone)
{
    const char* old = std::getenv("TZ");
    m_had = old != nullptr;
    if (old)
        m_old = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
}

CScopedZone::~CScopedZone()
{
    if (m_had)
        ::setenv("TZ", m_old.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

} // namespace skerrow::test
