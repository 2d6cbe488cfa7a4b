#include "ToolRun.h"

#include "support/PortPair.h"

namespace kqtest {

std::unique_ptr<kqtest::Process> startTool(const std::string& name,
                                           const std::vector<std::string>& args)
{
    return std::make_unique<kqtest::Process>(kqtest::programPath(name), args);
}

std::string text(const std::string& output)
{
    std::string result;
    for (std::size_t i = 0; i < output.size(); ++i) {
        if (!(output[i] == '\r' && i + 1 < output.size() && output[i + 1] == '\n'))
            result += output[i];
    }
    return result;
}

void ToolRun::SetUp()
{
#ifdef _WIN32
    if (kqtest::testPorts().size() != 2)
        GTEST_SKIP() << "needs the COM port pair named by KQ_TEST_PORTS";
#endif
}

void ToolRun::run(const std::string& hostDump, const std::string& deviceDump,
                  std::vector<std::string> args)
{
    const std::string deviceFile = dir_.writeFile("device.log", deviceDump);
#ifdef _WIN32
    device_ = startTool("QuorvexDevice", {"-s=" + kqtest::testPorts()[1], "-i=" + deviceFile});
#else
    device_ = startTool("QuorvexDevice", {"--pty", "-i=" + deviceFile});
#endif
    const std::string prefix = "port: ";
    std::string line;
    ASSERT_TRUE(device_->readLine(line, std::chrono::milliseconds(30000)) &&
                line.rfind(prefix, 0) == 0)
        << "QuorvexDevice did not report its port; first line '" << line
        << "', stderr: " << device_->err();
#ifdef _WIN32
    loaderPort_ = kqtest::testPorts()[0];
#else
    loaderPort_ = line.substr(prefix.size());
#endif
    args.insert(args.end(), {"-s=" + loaderPort_, "-i=" + dir_.writeFile("host.log", hostDump)});
    const auto start = std::chrono::steady_clock::now();
    loader_ = startTool("QuorvexLoader", args);
    loaderStatus_ = loader_->wait(runLimit);
    elapsed_ = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    deviceStatus_ = device_->wait(runLimit);
}

}  // namespace kqtest
