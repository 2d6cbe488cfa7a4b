#pragma once

#include <ctime>

namespace kq {
namespace logger {
namespace detail {

// Local broken-down time of a calendar time, safe to call from several threads at once
// (no shared static result buffer). All fields are zero if the conversion fails.
std::tm localTime(std::time_t seconds);

}  // namespace detail
}  // namespace logger
}  // namespace kq
