#include "IpcTest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>

#if defined(_WIN32)
#  include <process.h>
#else
#  include <unistd.h>
#endif

namespace kqtest {

namespace {

long processId()
{
#if defined(_WIN32)
    return _getpid();
#else
    return ::getpid();
#endif
}

}  // namespace

std::string uniqueName(const std::string& what)
{
    static std::atomic<int> counter{0};
    return "kqtest_" + std::to_string(processId()) + "_" + std::to_string(++counter) + "_" + what;
}

#if !defined(_WIN32)
std::string objectFile(const std::string& name)
{
    return "/dev/shm/kq." + std::to_string(::getuid()) + ".Local\\" + name;
}
#endif

std::unique_ptr<Process> startChild(const std::string& role, const std::string& name,
                                    const std::string& arg)
{
    return std::make_unique<Process>(
        programPath("ipc_tests"), std::vector<std::string>{"--gtest_filter=IpcChild.Run"},
        std::vector<std::string>{"KQ_IPC_ROLE=" + role, "KQ_IPC_NAME=" + name,
                                 "KQ_IPC_ARG=" + arg});
}

const std::string ReportMarker = "report: ";

bool readReport(Process& child, std::string& line, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() < 0 || !child.readLine(line, left)) {
            return false;
        }
        if (line.compare(0, ReportMarker.size(), ReportMarker) == 0) {
            line.erase(0, ReportMarker.size());
            return true;
        }
    }
}

void expectLine(Process& child, const std::string& expected)
{
    // Starting a program under Wine may take seconds.
    std::string line;
    ASSERT_TRUE(readReport(child, line, std::chrono::seconds(30)))
        << "no \"" << expected << "\" from the child; stderr: " << child.err();
    EXPECT_EQ(expected, line);
}

bool sendWorkedMessages(kq::ipc::MessageChannel& channel)
{
    unsigned char seven[] = {1, 2, 3};
    unsigned char nine[] = {4, 5};
    return channel.send(7, seven, 3) && channel.send(9, nine, 2);
}

unsigned char* bytes(const kq::ipc::SharedMemory& memory)
{
    return static_cast<unsigned char*>(memory.begin());
}

std::uint32_t wordAt(const kq::ipc::SharedMemory& memory, unsigned int offset)
{
    std::uint32_t value;
    std::memcpy(&value, bytes(memory) + offset, sizeof value);
    return value;
}

void setWordAt(const kq::ipc::SharedMemory& memory, unsigned int offset, std::uint32_t value)
{
    std::memcpy(bytes(memory) + offset, &value, sizeof value);
}

}  // namespace kqtest
