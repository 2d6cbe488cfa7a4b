#include "DevicePort.h"

#include <stdexcept>

namespace quorvex {

std::unique_ptr<DevicePort> openPseudoTerminal()
{
    throw std::runtime_error("--pty needs a system with pseudo-terminals; use -s=COMn");
}

}  // namespace quorvex
