#pragma once

#include "support/PortPair.h"

namespace kqtest {
namespace detail {

// The terminal settings of an open tty, the rate included whether or not it is a standard one.
PortSettings readPortSettings(int fd);

}  // namespace detail
}  // namespace kqtest
