#pragma once

#include <string>

namespace kq {
namespace environment {
namespace detail {

// Per platform: stores the value of name and returns true, or returns false when it is not set.
bool read(const std::string& name, std::string& value);

}  // namespace detail
}  // namespace environment
}  // namespace kq
