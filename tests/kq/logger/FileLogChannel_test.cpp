#include "LogFiles.h"
#include "TimeZone.h"

#include <kq/logger/ConsoleLogChannel.h>
#include <kq/logger/FileLogChannel.h>

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

using kq::logger::FileLogChannel;
using kqtest::readFiles;
using kqtest::ScopedTimeZone;

namespace {

// 14 hours east and 12 hours west of UTC: their dates always differ.
const char* const EastZone = "EEE-14";
const long EastOffset = 14 * 3600;
const char* const WestZone = "WWW+12";
const long WestOffset = -12 * 3600;

// Runs a callback on every format call, then lays the message out as the console does.
class HookFormatter : public kq::logger::ConsoleFormatter {
public:
    explicit HookFormatter(std::function<void()> hook) : hook(std::move(hook)) {}
    std::string format(const std::string& name, const std::string& message) override
    {
        hook();
        return ConsoleFormatter::format(name, message);
    }

private:
    std::function<void()> hook;
};

class FileChannel : public ::testing::Test {
protected:
    kqtest::TempDir dir;

    std::shared_ptr<FileLogChannel> channel(const std::string& name, const std::string& header = "")
    {
        auto result = std::make_shared<FileLogChannel>(dir.path().string(), name);
        result->setFormatter(std::make_shared<kq::logger::ConsoleFormatter>());
        result->setProperty(FileLogChannel::PropertyRollingHeader, header);
        return result;
    }

    // Skips the case where the local time conversion ignores TZ (seen on some runtimes).
    void requireTimeZoneControl()
    {
        ScopedTimeZone east(EastZone);
        const std::time_t now = std::time(nullptr);
        const std::tm* local = std::localtime(&now);
        const std::string date = kqtest::dateAtOffset(now, EastOffset);
        if (local->tm_mday != std::stoi(date.substr(8)))
            GTEST_SKIP() << "this runtime's local time does not follow TZ";
    }
};

// The date at both ends of an action, which cannot span more than one midnight.
struct DateWindow {
    std::string before;
    std::string after;
    bool holds(const std::string& fileName, const std::string& suffix) const
    {
        return fileName == before + suffix || fileName == after + suffix;
    }
};

template <typename Action>
DateWindow datesAround(long offset, Action action)
{
    DateWindow window;
    window.before = kqtest::dateAtOffset(std::time(nullptr), offset);
    action();
    window.after = kqtest::dateAtOffset(std::time(nullptr), offset);
    return window;
}

TEST_F(FileChannel, FileNamedAfterTheLocalDateAndName)
{
    requireTimeZoneControl();
    ScopedTimeZone zone(EastZone);
    auto plain = channel("");
    auto port = channel("port1");
    const DateWindow window = datesAround(EastOffset, [&] {
        plain->write("logger", "first");
        port->write("logger", "second");
    });

    const auto files = readFiles(dir.path());
    ASSERT_EQ(2u, files.size());
    for (const auto& file : files) {
        if (window.holds(file.first, ".log"))
            EXPECT_EQ("first\n", file.second);
        else if (window.holds(file.first, "-port1.log"))
            EXPECT_EQ("second\n", file.second);
        else
            ADD_FAILURE() << "unexpected file " << file.first;
    }
}

TEST_F(FileChannel, WithoutFormatterNoFileIsCreated)
{
    FileLogChannel bare(dir.path().string(), "bare");
    for (int i = 0; i < 100; ++i)
        bare.write("logger", "message");
    EXPECT_TRUE(readFiles(dir.path()).empty());
}

TEST_F(FileChannel, HeaderStartsEveryEmptyFileOnce)
{
    auto log = channel("h", "H");
    log->write("n", "a");
    log->write("n", "b");
    auto files = readFiles(dir.path());
    ASSERT_EQ(1u, files.size());
    EXPECT_EQ("Ha\nb\n", files.begin()->second);

    // Emptied by someone else: started again with the header.
    const auto path = dir.path() / files.begin()->first;
    std::ofstream(path, std::ios::binary | std::ios::trunc).close();
    log->write("n", "c");
    EXPECT_EQ("Hc\n", readFiles(dir.path()).begin()->second);
}

TEST_F(FileChannel, OnlyTheExactKeyChangesTheHeader)
{
    auto log = channel("k", "H\n");
    log->setProperty("Rolling_Header", "X");
    log->setProperty("ROLLING_HEADER", "X");
    log->setProperty("rolling_header ", "X");
    log->setProperty("other", "X");
    log->write("n", "a");
    log->setProperty(FileLogChannel::PropertyRollingHeader, "later");
    log->write("n", "b");
    EXPECT_EQ("H\na\nb\n", readFiles(dir.path()).begin()->second);
    EXPECT_EQ("rolling_header", FileLogChannel::PropertyRollingHeader);
}

TEST_F(FileChannel, NewDayStartsNewFileWithHeader)
{
    requireTimeZoneControl();
    auto log = channel("", "H\n");
    DateWindow west, east;
    {
        ScopedTimeZone zone(WestZone);
        west = datesAround(WestOffset, [&] { log->write("n", "one"); });
        log->write("n", "two");
    }
    {
        ScopedTimeZone zone(EastZone);
        east = datesAround(EastOffset, [&] { log->write("n", "three"); });
    }
    const auto files = readFiles(dir.path());
    ASSERT_EQ(2u, files.size());
    for (const auto& file : files) {
        if (west.holds(file.first, ".log"))
            EXPECT_EQ("H\none\ntwo\n", file.second);
        else if (east.holds(file.first, ".log"))
            EXPECT_EQ("H\nthree\n", file.second);
        else
            ADD_FAILURE() << "unexpected file " << file.first;
    }
}

// The formatter moves the clock across midnight (by changing the zone); the message must
// stay in the file of the day it was logged on.
TEST_F(FileChannel, DateIsTakenBeforeFormatting)
{
    requireTimeZoneControl();
    ScopedTimeZone zone(WestZone);
    FileLogChannel log(dir.path().string(), "");
    log.setFormatter(std::make_shared<HookFormatter>([] { ScopedTimeZone::set(EastZone); }));
    const DateWindow west = datesAround(WestOffset, [&] { log.write("n", "late"); });

    const auto files = readFiles(dir.path());
    ASSERT_EQ(1u, files.size());
    EXPECT_TRUE(west.holds(files.begin()->first, ".log")) << files.begin()->first;
}

TEST_F(FileChannel, UnwritableDirectoryDropsSilently)
{
    FileLogChannel log((dir.path() / "missing").string(), "x");
    log.setFormatter(std::make_shared<kq::logger::ConsoleFormatter>());
    EXPECT_NO_THROW(log.write("n", "lost"));
    EXPECT_TRUE(readFiles(dir.path()).empty());
}

TEST_F(FileChannel, FormatterExceptionPropagatesAndTouchesNoFile)
{
    FileLogChannel log(dir.path().string(), "x");
    log.setFormatter(std::make_shared<HookFormatter>([] { throw std::runtime_error("format"); }));
    EXPECT_THROW(log.write("n", "m"), std::runtime_error);
    EXPECT_TRUE(readFiles(dir.path()).empty());
    // The file lock was not left held.
    log.setProperty(FileLogChannel::PropertyRollingHeader, "H");
}

}  // namespace
