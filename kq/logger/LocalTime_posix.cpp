#include <kq/logger/detail/LocalTime.h>

namespace kq {
namespace logger {
namespace detail {

std::tm localTime(std::time_t seconds)
{
    std::tm result{};
    // localtime() applies the current TZ each call; localtime_r need not, so ask for it.
    tzset();
    localtime_r(&seconds, &result);
    return result;
}

}  // namespace detail
}  // namespace logger
}  // namespace kq
