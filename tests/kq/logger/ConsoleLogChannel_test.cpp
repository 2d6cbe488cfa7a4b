#include "RecordingChannel.h"

#include <kq/logger/ConsoleLogChannel.h>
#include <kq/logger/Logger.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using kq::logger::ConsoleFormatter;
using kq::logger::ConsoleLogChannel;
using kqtest::ClogCapture;

namespace {

std::shared_ptr<ConsoleLogChannel> formattedConsole()
{
    auto channel = std::make_shared<ConsoleLogChannel>();
    channel->setFormatter(std::make_shared<ConsoleFormatter>());
    return channel;
}

TEST(ConsoleFormatter, AppendsOneLineFeed)
{
    ConsoleFormatter formatter;
    EXPECT_EQ("abc\n", formatter.format("name", "abc"));
    EXPECT_EQ("\n", formatter.format("name", ""));
    EXPECT_EQ("a\nb\n\n", formatter.format("", "a\nb\n"));
}

TEST(ConsoleLogChannel, WritesThroughALoggerToClog)
{
    ClogCapture capture;
    kq::logger::ILogger& logger = kq::logger::add("console.write", formattedConsole());
    logger.info("abc");
    logger.info("");
    EXPECT_EQ("abc\n\n", capture.text());
}

TEST(ConsoleLogChannel, WithoutFormatterWritesNothing)
{
    ClogCapture capture;
    ConsoleLogChannel channel;
    channel.setProperty("any", "value");
    channel.write("n", "message");
    EXPECT_EQ("", capture.text());
}

TEST(ConsoleLogChannel, CopySharesFormatterMovedFromWritesNothing)
{
    ClogCapture capture;
    ConsoleLogChannel source = *formattedConsole();
    ConsoleLogChannel copy(source);
    copy.write("n", "copy");
    ConsoleLogChannel target;
    target = std::move(source);
    target.write("n", "target");
    source.write("n", "source");
    EXPECT_EQ("copy\ntarget\n", capture.text());
}

// Several threads through one channel and through channels of their own: every line must
// come out whole, and every message exactly once.
TEST(ConsoleLogChannel, ThreadsProduceWholeLines)
{
    const int threads = 4;
    const int messages = 300;
    const std::string body(200, 'x');
    auto shared = formattedConsole();

    ClogCapture capture;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        auto channel = t % 2 == 0 ? shared : formattedConsole();
        workers.emplace_back([channel, t, &body] {
            for (int m = 0; m < messages; ++m)
                channel->write("", std::to_string(t) + ":" + body + ":" + std::to_string(m));
        });
    }
    for (auto& worker : workers)
        worker.join();

    std::map<std::string, int> seen;
    std::istringstream lines(capture.text());
    for (std::string line; std::getline(lines, line);) {
        const size_t first = line.find(':');
        const size_t last = line.rfind(':');
        ASSERT_NE(std::string::npos, first) << line;
        ASSERT_EQ(body, line.substr(first + 1, last - first - 1)) << line;
        ++seen[line.substr(0, first) + line.substr(last)];
    }
    EXPECT_EQ(static_cast<size_t>(threads * messages), seen.size());
    for (const auto& entry : seen)
        EXPECT_EQ(1, entry.second) << entry.first;
}

}  // namespace
