#pragma once

#include <string>

namespace kq {
namespace ipc {
namespace detail {

// Named objects always live in the session-local namespace.
inline std::string localName(const std::string& name)
{
    return "Local\\" + name;
}

}  // namespace detail
}  // namespace ipc
}  // namespace kq
