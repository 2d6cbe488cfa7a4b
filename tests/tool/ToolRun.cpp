#include "ToolRun.h"

#include "support/PortPair.h"

#include <gtest/gtest.h>

#include <chrono>

namespace tooltest {

namespace {

#ifdef _WIN32
std::vector<std::string> deviceArgs(const std::string& dumpPath) {
    return {"-s=" + kqtest::testPorts()[1], "-i=" + dumpPath};
}

std::string loaderPortFor(const std::string&) { return kqtest::testPorts()[0]; }
#else
std::vector<std::string> deviceArgs(const std::string& dumpPath) { return {"--pty", "-i=" + dumpPath}; }

std::string loaderPortFor(const std::string& servedPort) { return servedPort; }
#endif

}  // namespace

bool canRunDevice(std::string& reason) {
#ifdef _WIN32
    reason = "needs the COM port pair named by KQ_TEST_PORTS";
    return kqtest::testPorts().size() == 2;
#else
    (void)reason;
    return true;
#endif
}

Device startDevice(const std::string& dumpPath) {
    Device device;
    device.process = std::make_unique<kqtest::Process>(kqtest::programPath("QuorvexDevice"),
                                                       deviceArgs(dumpPath));
    const std::string prefix = "port: ";
    std::string line;
    if (!device.process->readLine(line, std::chrono::milliseconds(30000)) ||
        line.compare(0, prefix.size(), prefix) != 0) {
        ADD_FAILURE() << "QuorvexDevice did not report its port; first line '" << line
                      << "', stderr: " << device.process->err();
        return device;
    }
    device.loaderPort = loaderPortFor(line.substr(prefix.size()));
    return device;
}

std::unique_ptr<kqtest::Process> startLoader(const std::vector<std::string>& args) {
    return std::make_unique<kqtest::Process>(kqtest::programPath("QuorvexLoader"), args);
}

std::string text(const std::string& output) {
    std::string result;
    for (std::size_t i = 0; i < output.size(); ++i) {
        if (!(output[i] == '\r' && i + 1 < output.size() && output[i + 1] == '\n'))
            result += output[i];
    }
    return result;
}

}  // namespace tooltest
