#include "TimeZone.h"

#include <cstdlib>
#include <ctime>

namespace kqtest {

void ScopedTimeZone::set(const std::string& tz)
{
    _putenv(("TZ=" + tz).c_str());
    _tzset();
}

ScopedTimeZone::~ScopedTimeZone()
{
    // "TZ=" with nothing after it removes the variable.
    _putenv(("TZ=" + previous).c_str());
    _tzset();
}

}  // namespace kqtest
