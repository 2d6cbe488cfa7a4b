#include <kq/logger/detail/LocalTime.h>

namespace kq {
namespace logger {
namespace detail {

std::tm localTime(std::time_t seconds)
{
    std::tm result{};
    if (localtime_s(&result, &seconds) != 0)
        result = std::tm{};
    return result;
}

}  // namespace detail
}  // namespace logger
}  // namespace kq
