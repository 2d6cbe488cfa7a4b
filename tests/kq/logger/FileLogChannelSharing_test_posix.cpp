#include "LogFiles.h"

#include <kq/logger/ConsoleLogChannel.h>
#include <kq/logger/FileLogChannel.h>

#include "support/Process.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const ChildDirVariable = "KQ_LOG_CHILD_DIR";
const char* const ChildIdVariable = "KQ_LOG_CHILD_ID";
const std::string Header = "HEADER\n";
const int MessagesPerWriter = 200;
const std::string Padding(300, 'p');

// Every writer, thread or process, uses a channel of its own on the same file.
void writeMessages(const std::string& dir, const std::string& writer)
{
    kq::logger::FileLogChannel channel(dir, "shared");
    channel.setFormatter(std::make_shared<kq::logger::ConsoleFormatter>());
    channel.setProperty(kq::logger::FileLogChannel::PropertyRollingHeader, Header);
    for (int i = 0; i < MessagesPerWriter; ++i)
        channel.write("n", writer + ":" + std::to_string(i) + ":" + Padding);
}

// Runs only as a child started by the test below.
TEST(FileLogChannelChild, WritesMessages)
{
    const char* dir = std::getenv(ChildDirVariable);
    if (dir == nullptr)
        GTEST_SKIP() << "child mode of FileLogChannelSharing only";
    writeMessages(dir, std::getenv(ChildIdVariable));
}

TEST(FileLogChannelSharing, ProcessesAndThreadsNeitherLoseNorMixMessages)
{
    kqtest::TempDir dir;
    const std::string folder = dir.path().string();
    std::vector<std::unique_ptr<kqtest::Process>> children;
    for (const char* id : {"p1", "p2", "p3"})
        children.push_back(std::make_unique<kqtest::Process>(
            kqtest::programPath("logger_tests"),
            std::vector<std::string>{"--gtest_filter=FileLogChannelChild.*"},
            std::vector<std::string>{std::string(ChildDirVariable) + "=" + folder,
                                     std::string(ChildIdVariable) + "=" + id}));
    std::thread t1(writeMessages, folder, "t1");
    std::thread t2(writeMessages, folder, "t2");
    t1.join();
    t2.join();
    for (auto& child : children)
        ASSERT_EQ(0, child->wait(std::chrono::seconds(60))) << child->out() << child->err();

    // A day may have turned during the run: every file gets its own header.
    std::map<std::string, int> seen;
    for (const auto& file : kqtest::readFiles(dir.path())) {
        ASSERT_EQ(0u, file.second.rfind(Header, 0)) << file.first;
        std::istringstream lines(file.second.substr(Header.size()));
        for (std::string line; std::getline(lines, line);) {
            const size_t last = line.rfind(':');
            ASSERT_NE(std::string::npos, last) << line;
            ASSERT_EQ(Padding, line.substr(last + 1)) << line;
            ++seen[line.substr(0, last)];
        }
    }
    EXPECT_EQ(5u * MessagesPerWriter, seen.size());
    for (const auto& entry : seen)
        EXPECT_EQ(1, entry.second) << entry.first;
}

// Another writer holding the file's lock makes the channel wait, and the header decision
// is taken under that lock: the file is no longer empty when the channel gets its turn.
TEST(FileLogChannelSharing, AppendWaitsForTheFileLock)
{
    kqtest::TempDir dir;
    kq::logger::FileLogChannel channel(dir.path().string(), "");
    channel.setFormatter(std::make_shared<kq::logger::ConsoleFormatter>());
    channel.setProperty(kq::logger::FileLogChannel::PropertyRollingHeader, Header);
    channel.write("n", "first");
    const auto path = dir.path() / kqtest::readFiles(dir.path()).begin()->first;

    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, ::flock(fd, LOCK_EX));
    std::thread writer([&channel] { channel.write("n", "a"); });
    // The channel must not write while the lock is held, however long it is held.
    bool wroteEarly = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    while (!wroteEarly && std::chrono::steady_clock::now() < deadline)
        wroteEarly = std::filesystem::file_size(path) != 0;
    const ssize_t written = ::write(fd, "X\n", 2);
    ::close(fd);
    writer.join();
    EXPECT_FALSE(wroteEarly);
    EXPECT_EQ(2, written);
    EXPECT_EQ("X\na\n", kqtest::readFiles(dir.path()).begin()->second);
}

}  // namespace
