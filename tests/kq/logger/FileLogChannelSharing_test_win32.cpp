#include "LogTest.h"

#include <kq/logger/FileLogChannel.h>

#include "support/TempDir.h"

#include <windows.h>

namespace {

// The file is opened with read sharing only, so a message whose open is refused because
// another writer holds the file is dropped, and the next one is tried afresh.
TEST(FileLogChannelSharing, MessageDroppedWhileAnotherWriterHoldsTheFile)
{
    kqtest::TempDir dir;
    auto channel = kqtest::formatted(
        std::make_shared<kq::logger::FileLogChannel>(dir.path().string(), "held"));
    channel->write("n", "one");
    auto files = kqtest::readFiles(dir.path());
    ASSERT_EQ(1u, files.size());
    const std::string path = (dir.path() / files.begin()->first).string();

    const HANDLE holder = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    channel->write("n", "two");
    ::CloseHandle(holder);
    channel->write("n", "three");

    files = kqtest::readFiles(dir.path());
    if (files.size() != 1u) {
        GTEST_SKIP() << "the day changed during the test";
    }
    EXPECT_EQ("one\nthree\n", files.begin()->second);
}

}  // namespace
