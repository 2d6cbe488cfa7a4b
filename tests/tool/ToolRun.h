#pragma once

#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kqtest {

const std::chrono::milliseconds runLimit(60000);

std::unique_ptr<kqtest::Process> startTool(const std::string& name,
                                           const std::vector<std::string>& args);

// Program output with Windows text-mode line ends (CR LF) turned back into LF.
std::string text(const std::string& output);

// How a program run to its end went, its output as text() gives it.
struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome runTool(const std::string& name, const std::vector<std::string>& args);

// A PortMon dump of these requests and their last fields, one line each, numbered from 1.
std::string portMon(std::initializer_list<std::pair<const char*, const char*>> requests);

// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::string& path);

// QuorvexLoader replaying one dump against QuorvexDevice replaying another.
// Linux: the device serves a pseudo-terminal of its own. Windows (under Wine):
// the device serves the second port of KQ_TEST_PORTS, the loader the first.
class ToolRun : public ::testing::Test {
protected:
    // Skips where the platform has no port pair for the two programs.
    void SetUp() override;
    // Runs both to their end; extra loader options go first. A fatal failure when
    // the device reports no port.
    void run(const std::string& hostDump, const std::string& deviceDump,
             std::vector<std::string> args = {}, std::vector<std::string> deviceArgs = {});
    // Starts the device alone; the port the host opens goes to loaderPort_.
    void startDevice(const std::string& deviceDump, std::vector<std::string> deviceArgs = {});
    // The same, but returns once the loader has started; finish() waits for both.
    void start(const std::string& hostDump, const std::string& deviceDump,
               std::vector<std::string> args = {}, std::vector<std::string> deviceArgs = {});
    void finish();
    bool deviceSaid(const std::string& line) const
    {
        return text(device_->out()).find(line) != std::string::npos;
    }

    kqtest::TempDir dir_;
    std::unique_ptr<kqtest::Process> device_, loader_;
    std::string loaderPort_;
    int loaderStatus_ = -1, deviceStatus_ = -1;
    std::chrono::milliseconds elapsed_{0};
    std::chrono::steady_clock::time_point started_;
};

}  // namespace kqtest
