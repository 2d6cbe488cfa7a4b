#include "LogTest.h"

#include <ctime>

namespace kqtest {

void ScopedTimeZone::set(const std::string& tz)
{
    setenv("TZ", tz.c_str(), 1);
    tzset();
}

void ScopedTimeZone::unset()
{
    unsetenv("TZ");
    tzset();
}

}  // namespace kqtest
