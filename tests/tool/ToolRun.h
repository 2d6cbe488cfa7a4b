#pragma once

#include "support/Process.h"

#include <memory>
#include <string>
#include <vector>

namespace tooltest {

// A running QuorvexDevice and the port name QuorvexLoader must open to reach it.
// Linux: the device serves a pseudo-terminal of its own. Windows (under Wine):
// the device serves the second port of KQ_TEST_PORTS, the loader the first.
struct Device {
    std::unique_ptr<kqtest::Process> process;
    std::string loaderPort;
};

// Starts the device on the dump and waits until it serves its port. Fails the
// test (ASSERT-style: check HasFatalFailure) when no port line arrives.
Device startDevice(const std::string& dumpPath);

// Whether this platform can run a device; the reason goes to GTEST_SKIP.
bool canRunDevice(std::string& reason);

std::unique_ptr<kqtest::Process> startLoader(const std::vector<std::string>& args);

// Program output with Windows text-mode line ends (CR LF) turned back into LF.
std::string text(const std::string& output);

}  // namespace tooltest
