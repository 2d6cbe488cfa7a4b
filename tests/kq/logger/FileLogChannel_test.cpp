#include "LogTest.h"

#include <kq/logger/FileLogChannel.h>
#include <kq/logger/SimpleFormatter.h>

#include "support/Process.h"
#include "support/TempDir.h"

#include <stdexcept>

#ifdef _WIN32
#  include <windows.h>
#else
#  include <fcntl.h>
#  include <sys/stat.h>
#  include <unistd.h>
#endif

using kq::logger::FileLogChannel;
using kqtest::readFiles;
using kqtest::ScopedTimeZone;
using Files = std::map<std::string, std::string>;

namespace {

// 14 hours east and 12 hours west of UTC: their dates always differ.
const char* const EastZone = "EEE-14";
const long EastOffset = 14 * 3600;
const char* const WestZone = "WWW+12";
const long WestOffset = -12 * 3600;

// A label for the dates at an offset before and after an action (at most one midnight).
struct Day {
    std::string label, before, after;
};
template <typename Action>
Day dayAround(const std::string& label, long offset, Action action)
{
    const std::string before = kqtest::dateAtOffset(std::time(nullptr), offset);
    action();
    return {label, before, kqtest::dateAtOffset(std::time(nullptr), offset)};
}

class FileChannel : public ::testing::Test {
protected:
    kqtest::TempDir dir_;

    std::shared_ptr<FileLogChannel> channel(const std::string& name, const std::string& header = "",
                                            const std::string& subfolder = "")
    {
        auto folder = (dir_.path() / subfolder).string();
        auto result = kqtest::formatted(std::make_shared<FileLogChannel>(folder, name));
        result->setProperty(FileLogChannel::PropertyRollingHeader, header);
        return result;
    }

    // The folder's files, with the date that starts a name replaced by its day's label.
    Files filesByDay(const std::vector<Day>& days)
    {
        Files result;
        for (const auto& file : readFiles(dir_.path())) {
            std::string name = file.first;
            for (const auto& day : days) {
                for (const auto& date : {day.before, day.after}) {
                    if (file.first.rfind(date, 0) == 0) {
                        name = day.label + file.first.substr(date.size());
                    }
                }
            }
            result[name] = file.second;
        }
        return result;
    }
};

// Skips the cases where the local time conversion ignores TZ (seen on some runtimes).
class DatedFileChannel : public FileChannel {
protected:
    void SetUp() override
    {
        ScopedTimeZone east(EastZone);
        const std::time_t now = std::time(nullptr);
        const int eastDay = std::stoi(kqtest::dateAtOffset(now, EastOffset).substr(8));
        if (std::localtime(&now)->tm_mday != eastDay) {
            GTEST_SKIP() << "this runtime's local time does not follow TZ";
        }
    }
};

TEST_F(DatedFileChannel, FileNamedAfterTheLocalDateAndName)
{
    ScopedTimeZone zone(EastZone);
    auto plain = channel("");
    auto port = channel("port1");
    const Day east = dayAround("EAST", EastOffset, [&] {
        plain->write("logger", "first");
        port->write("logger", "second");
    });
    EXPECT_EQ((Files{{"EAST.log", "first\n"}, {"EAST-port1.log", "second\n"}}), filesByDay({east}));
}

TEST_F(DatedFileChannel, NewDayStartsNewFileWithHeader)
{
    auto log = channel("", "H\n");
    ScopedTimeZone zone(WestZone);
    const Day west = dayAround("WEST", WestOffset, [&] { log->write("n", "one"); });
    log->write("n", "two");
    ScopedTimeZone::set(EastZone);
    const Day east = dayAround("EAST", EastOffset, [&] { log->write("n", "three"); });
    EXPECT_EQ((Files{{"WEST.log", "H\none\ntwo\n"}, {"EAST.log", "H\nthree\n"}}),
              filesByDay({west, east}));
}

// The formatter moves the clock across midnight; the message stays in the file of the day
// it was logged on.
TEST_F(DatedFileChannel, DateIsTakenBeforeFormatting)
{
    ScopedTimeZone zone(WestZone);
    auto log = channel("");
    log->setFormatter(std::make_shared<kqtest::FunctionFormatter>([](const std::string& m) {
        ScopedTimeZone::set(EastZone);
        return m + "\n";
    }));
    const Day west = dayAround("WEST", WestOffset, [&] { log->write("n", "late"); });
    EXPECT_EQ((Files{{"WEST.log", "late\n"}}), filesByDay({west}));
}

// A program that changes TZ without calling tzset: the next message's file and time stamp
// both follow the new zone.
TEST_F(DatedFileChannel, FollowsTzChangedWithoutTzset)
{
#if defined(_WIN32)
    GTEST_SKIP() << "the Windows runtime reads TZ only when the program calls _tzset";
#endif
    ScopedTimeZone zone(WestZone);
    auto log = channel("");
    log->setFormatter(std::make_shared<kq::logger::SimpleFormatter>());
    const Day west = dayAround("WEST", WestOffset, [&] { log->write("n", "w"); });
    ScopedTimeZone::setVariable(EastZone);
    std::string hours;
    const Day east = dayAround("EAST", EastOffset, [&] {
        hours = kqtest::hourAtOffset(std::time(nullptr), EastOffset);
        log->write("n", "e");
        hours += kqtest::hourAtOffset(std::time(nullptr), EastOffset);
    });
    const Files files = filesByDay({west, east});
    ASSERT_EQ(1u, files.count("WEST.log"));
    ASSERT_EQ(1u, files.count("EAST.log"));
    const std::string eastHour = files.at("EAST.log").substr(0, 2);
    EXPECT_TRUE(eastHour == hours.substr(0, 2) || eastHour == hours.substr(2))
        << hours << " " << files.at("EAST.log");
}

TEST_F(FileChannel, HeaderStartsEveryEmptyFileOnce)
{
    auto log = channel("h", "H");
    log->write("n", "a");
    log->write("n", "b");
    auto files = readFiles(dir_.path());
    ASSERT_EQ(1u, files.size());
    EXPECT_EQ("Ha\nb\n", files.begin()->second);

    // Emptied or removed by someone else: started again with the header, and nothing else
    // is left in the folder.
    const auto path = dir_.path() / files.begin()->first;
    std::ofstream(path, std::ios::binary | std::ios::trunc).close();
    log->write("n", "c");
    EXPECT_EQ((Files{{path.filename().string(), "Hc\n"}}), readFiles(dir_.path()));
    std::filesystem::remove(path);
    log->write("n", "d");
    log->write("n", "e");
    EXPECT_EQ((Files{{path.filename().string(), "Hd\ne\n"}}), readFiles(dir_.path()));
}

TEST_F(FileChannel, OnlyTheExactKeyChangesTheHeader)
{
    auto log = channel("k", "H\n");
    for (const char* key : {"Rolling_Header", "ROLLING_HEADER", "rolling_header ", "other"}) {
        log->setProperty(key, "X");
    }
    log->write("n", "a");
    log->setProperty(FileLogChannel::PropertyRollingHeader, "later");
    log->write("n", "b");
    EXPECT_EQ("H\na\nb\n", readFiles(dir_.path()).begin()->second);
    EXPECT_EQ("rolling_header", FileLogChannel::PropertyRollingHeader);
}

TEST_F(FileChannel, NoFileWithoutFormatterOrFolder)
{
    FileLogChannel bare(dir_.path().string(), "bare");
    for (int i = 0; i < 100; ++i) {
        bare.write("logger", "message");
    }
    EXPECT_NO_THROW(channel("x", "", "missing")->write("n", "lost"));
    EXPECT_TRUE(readFiles(dir_.path()).empty());
}

TEST_F(FileChannel, FormatterExceptionPropagatesAndTouchesNoFile)
{
    auto log = channel("x");
    log->setFormatter(std::make_shared<kqtest::FunctionFormatter>(
        [](const std::string&) -> std::string { throw std::runtime_error("format"); }));
    EXPECT_THROW(log->write("n", "m"), std::runtime_error);
    EXPECT_TRUE(readFiles(dir_.path()).empty());
    // The file lock was not left held.
    log->setProperty(FileLogChannel::PropertyRollingHeader, "H");
}

}  // namespace

namespace {

const std::string FifoChildDirVariable = "KQ_FIFO_CHILD_DIR";

std::string localDate(std::time_t time)
{
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%d", std::localtime(&time));
    return text;
}

}  // namespace

// Child mode of the FIFO test: a write that blocks must not hold the test run.
TEST(FileChannelChild, WritesToFifoThenToPlainFile)
{
    const char* folder = std::getenv(FifoChildDirVariable.c_str());
    if (folder == nullptr) {
        GTEST_SKIP() << "child mode of FileChannel.NonRegularFileIsAFailedWriteNeverABlock only";
    }
    kqtest::formatted(std::make_shared<FileLogChannel>(folder, "fifo"))->write("n", "lost");
    kqtest::formatted(std::make_shared<FileLogChannel>(folder, "plain"))->write("n", "kept");
}

TEST_F(FileChannel, NonRegularFileIsAFailedWriteNeverABlock)
{
#ifdef _WIN32
    // A day's file in the pipe folder is a named pipe; the channel must not write into it.
    const std::string name = "kqfifo" + std::to_string(::GetCurrentProcessId());
    std::vector<HANDLE> pipes;
    const std::time_t now = std::time(nullptr);
    for (const std::time_t day : {now - 86400, now, now + 86400}) {
        const std::string pipe = R"(\\.\pipe\)" + localDate(day) + "-" + name + ".log";
        pipes.push_back(::CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1,
                                           4096, 4096, 0, nullptr));
        ASSERT_NE(INVALID_HANDLE_VALUE, pipes.back()) << pipe;
    }
    kqtest::formatted(std::make_shared<FileLogChannel>(R"(\\.\pipe)", name))->write("n", "lost");
    for (const HANDLE pipe : pipes) {
        DWORD waiting = 0;
        ::PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr);
        EXPECT_EQ(0u, waiting) << "the channel wrote into a pipe";
        ::CloseHandle(pipe);
    }
#else
    // The day's file is a FIFO whichever day the child's write falls on.
    const std::time_t now = std::time(nullptr);
    for (const std::time_t day : {now - 86400, now, now + 86400}) {
        const std::string fifo = (dir_.path() / (localDate(day) + "-fifo.log")).string();
        ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600)) << fifo;
    }
    auto runChild = [&] {
        kqtest::Process child(kqtest::programPath("logger_tests"),
                              {"--gtest_filter=FileChannelChild.*"},
                              {FifoChildDirVariable + "=" + dir_.path().string()});
        EXPECT_EQ(0, child.wait(std::chrono::seconds(20))) << child.out() << child.err();
    };
    runChild();
    // With a reader the FIFO opens without blocking; nothing may reach it all the same.
    std::vector<int> readers;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
        if (entry.is_fifo()) {
            readers.push_back(::open(entry.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        }
    }
    runChild();
    for (const int reader : readers) {
        char byte;
        EXPECT_EQ(0, ::read(reader, &byte, 1)) << "the channel wrote into a FIFO";
        ::close(reader);
    }
    // Reading a FIFO would block: only the regular files are read.
    std::string plain;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
        if (entry.is_regular_file()) {
            std::ifstream stream(entry.path(), std::ios::binary);
            plain.append(std::istreambuf_iterator<char>(stream), {});
        }
    }
    EXPECT_EQ("kept\nkept\n", plain);
#endif
}
