#include "LogTest.h"

#include <ctime>

namespace kqtest {

void ScopedTimeZone::set(const std::string& tz)
{
    _putenv(("TZ=" + tz).c_str());
    _tzset();
}

// "TZ=" with nothing after it removes the variable.
void ScopedTimeZone::unset()
{
    set("");
}

}  // namespace kqtest
