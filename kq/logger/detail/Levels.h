#pragma once

namespace kq {
namespace logger {
namespace detail {

// The lowest level that lets each family through; below InfoLevel a logger is silent.
constexpr int InfoLevel = 0;
constexpr int DebugLevel = 1;

}  // namespace detail
}  // namespace logger
}  // namespace kq
