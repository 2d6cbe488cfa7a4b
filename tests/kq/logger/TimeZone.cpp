#include "TimeZone.h"

#include <cstdio>
#include <cstdlib>

namespace kqtest {

ScopedTimeZone::ScopedTimeZone(const std::string& tz)
{
    const char* value = std::getenv("TZ");
    hadValue = value != nullptr;
    previous = hadValue ? value : "";
    set(tz);
}

std::string dateAtOffset(std::time_t utc, long offsetSeconds)
{
    const std::time_t shifted = utc + offsetSeconds;
    // Tests run single-threaded here, so the shared gmtime buffer is safe.
    const std::tm* date = std::gmtime(&shifted);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date->tm_year + 1900, date->tm_mon + 1,
                  date->tm_mday);
    return text;
}

}  // namespace kqtest
