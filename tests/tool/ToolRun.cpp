#include "ToolRun.h"

#include "support/PortPair.h"

#include <fstream>
#include <iterator>

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
        if (!(output[i] == '\r' && i + 1 < output.size() && output[i + 1] == '\n')) {
            result += output[i];
        }
    }
    return result;
}

Outcome runTool(const std::string& name, const std::vector<std::string>& args)
{
    auto tool = startTool(name, args);
    const int status = tool->wait(runLimit);
    return {status, text(tool->out()), text(tool->err())};
}

std::string portMon(std::initializer_list<std::pair<const char*, const char*>> requests)
{
    std::string text;
    int index = 0;
    for (const auto& r : requests) {
        text += std::to_string(++index) + "\t0.00001234\tterm.exe:1234\t" + r.first +
                "\tSerial0\tSUCCESS\t" + r.second + "\r\n";
    }
    return text;
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void ToolRun::SetUp()
{
#ifdef _WIN32
    if (kqtest::testPorts().size() != 2) {
        GTEST_SKIP() << "needs the COM port pair named by KQ_TEST_PORTS";
    }
#endif
}

void ToolRun::run(const std::string& hostDump, const std::string& deviceDump,
                  std::vector<std::string> args, std::vector<std::string> deviceArgs)
{
    ASSERT_NO_FATAL_FAILURE(start(hostDump, deviceDump, std::move(args), std::move(deviceArgs)));
    finish();
}

void ToolRun::startDevice(const std::string& deviceDump, std::vector<std::string> deviceArgs)
{
    deviceArgs.push_back("-i=" + dir_.writeFile("device.log", deviceDump));
#ifdef _WIN32
    deviceArgs.push_back("-s=" + kqtest::testPorts()[1]);
#else
    deviceArgs.push_back("--pty");
#endif
    device_ = startTool("QuorvexDevice", deviceArgs);
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
}

void ToolRun::start(const std::string& hostDump, const std::string& deviceDump,
                    std::vector<std::string> args, std::vector<std::string> deviceArgs)
{
    ASSERT_NO_FATAL_FAILURE(startDevice(deviceDump, std::move(deviceArgs)));
    args.insert(args.end(), {"-s=" + loaderPort_, "-i=" + dir_.writeFile("host.log", hostDump)});
    started_ = std::chrono::steady_clock::now();
    loader_ = startTool("QuorvexLoader", args);
}

void ToolRun::finish()
{
    loaderStatus_ = loader_->wait(runLimit);
    elapsed_ = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started_);
    deviceStatus_ = device_->wait(runLimit);
}

}  // namespace kqtest
