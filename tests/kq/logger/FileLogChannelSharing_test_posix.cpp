#include "LogTest.h"

#include <kq/logger/FileLogChannel.h>

#include "support/Process.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <thread>

using kq::logger::FileLogChannel;

namespace {

const std::string ChildDirVariable = "KQ_LOG_CHILD_DIR";
const std::string ChildIdVariable = "KQ_LOG_CHILD_ID";
const std::string Header = "HEADER\n";
const int MessagesPerWriter = 200;

std::shared_ptr<FileLogChannel> headedChannel(const std::string& dir, const std::string& name)
{
    auto channel = kqtest::formatted(std::make_shared<FileLogChannel>(dir, name));
    channel->setProperty(FileLogChannel::PropertyRollingHeader, Header);
    return channel;
}

// Every writer, thread or process, uses a channel of its own on the same file.
void writeMessages(const std::string& dir, const std::string& writer)
{
    auto channel = headedChannel(dir, "shared");
    for (int i = 0; i < MessagesPerWriter; ++i) {
        channel->write("n", kqtest::writerMessage(writer, i));
    }
}

TEST(FileLogChannelChild, WritesMessages)
{
    const char* dir = std::getenv(ChildDirVariable.c_str());
    if (dir == nullptr) {
        GTEST_SKIP() << "child mode of FileLogChannelSharing only";
    }
    writeMessages(dir, std::getenv(ChildIdVariable.c_str()));
}

TEST(FileLogChannelSharing, ProcessesAndThreadsNeitherLoseNorMixMessages)
{
    kqtest::TempDir dir;
    const std::string folder = dir.path().string();
    std::vector<std::unique_ptr<kqtest::Process>> children;
    for (const std::string id : {"p1", "p2", "p3"}) {
        children.push_back(std::make_unique<kqtest::Process>(
            kqtest::programPath("logger_tests"),
            std::vector<std::string>{"--gtest_filter=FileLogChannelChild.*"},
            std::vector<std::string>{ChildDirVariable + "=" + folder, ChildIdVariable + "=" + id}));
    }
    std::thread t1(writeMessages, folder, "t1");
    std::thread t2(writeMessages, folder, "t2");
    t1.join();
    t2.join();
    for (auto& child : children) {
        ASSERT_EQ(0, child->wait(std::chrono::seconds(60))) << child->out() << child->err();
    }

    // A day may have turned during the run: every file gets its own header.
    std::string messages;
    for (const auto& file : kqtest::readFiles(dir.path())) {
        ASSERT_EQ(0u, file.second.rfind(Header, 0)) << file.first;
        messages += file.second.substr(Header.size());
    }
    EXPECT_EQ(std::vector<std::string>(),
              kqtest::unevenLines(messages, {"p1", "p2", "p3", "t1", "t2"}, MessagesPerWriter));
}

// Another writer holding the file's lock makes the channel wait, however long, and the
// header decision is taken under that lock: the file is no longer empty at its turn.
TEST(FileLogChannelSharing, AppendWaitsForTheFileLock)
{
    kqtest::TempDir dir;
    auto channel = headedChannel(dir.path().string(), "");
    channel->write("n", "first");
    const auto path = dir.path() / kqtest::readFiles(dir.path()).begin()->first;

    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, ::flock(fd, LOCK_EX));
    std::thread writer([&channel] { channel->write("n", "a"); });
    bool wroteEarly = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
    while (!wroteEarly && std::chrono::steady_clock::now() < deadline) {
        wroteEarly = std::filesystem::file_size(path) != 0;
    }
    const ssize_t written = ::write(fd, "X\n", 2);
    ::close(fd);
    writer.join();
    EXPECT_FALSE(wroteEarly);
    EXPECT_EQ(2, written);
    EXPECT_EQ("X\na\n", kqtest::readFiles(dir.path()).begin()->second);
}

}  // namespace
