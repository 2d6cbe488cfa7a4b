#include <kq/logger/detail/LocalTime.h>

namespace kq {
namespace logger {
namespace detail {

std::tm localTime(std::time_t seconds)
{
    std::tm result{};
#if defined(_WIN32)
    if (localtime_s(&result, &seconds) != 0)
        result = std::tm{};
#else
    // TZ is read once per process, as localtime() does on its first call: reading it for
    // every message made each message stat the zone file. A program that changes TZ while
    // it runs calls tzset() itself.
    static const bool zoneRead = (tzset(), true);
    static_cast<void>(zoneRead);
    localtime_r(&seconds, &result);
#endif
    return result;
}

}  // namespace detail
}  // namespace logger
}  // namespace kq
