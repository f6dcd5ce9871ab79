#include "support/CScopedZone.h"

#include <cstdlib>
#include <ctime>

namespace skerrow::test {

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
