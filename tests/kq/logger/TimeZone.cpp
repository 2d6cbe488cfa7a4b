#include "LogTest.h"

#include <cstdlib>
#include <ctime>

namespace kqtest {

#if defined(_WIN32)

void ScopedTimeZone::setVariable(const std::string& tz)
{
    _putenv(("TZ=" + tz).c_str());
}

void ScopedTimeZone::set(const std::string& tz)
{
    setVariable(tz);
    _tzset();
}

// "TZ=" with nothing after it removes the variable.
void ScopedTimeZone::unset()
{
    set("");
}

#else

void ScopedTimeZone::setVariable(const std::string& tz)
{
    setenv("TZ", tz.c_str(), 1);
}

void ScopedTimeZone::set(const std::string& tz)
{
    setVariable(tz);
    ::tzset();
}

void ScopedTimeZone::unset()
{
    unsetenv("TZ");
    ::tzset();
}

#endif

}  // namespace kqtest
