#include "TimeZone.h"

#include <cstdlib>
#include <ctime>

namespace kqtest {

void ScopedTimeZone::set(const std::string& tz)
{
    setenv("TZ", tz.c_str(), 1);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone()
{
    if (hadValue)
        setenv("TZ", previous.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

}  // namespace kqtest
