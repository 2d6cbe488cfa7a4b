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
    // localtime() applies the current TZ each call; localtime_r need not, so ask for it.
    tzset();
    localtime_r(&seconds, &result);
#endif
    return result;
}

}  // namespace detail
}  // namespace logger
}  // namespace kq
