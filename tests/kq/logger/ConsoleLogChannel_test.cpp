#include "LogTest.h"

#include <thread>

using kq::logger::ConsoleFormatter;
using kq::logger::ConsoleLogChannel;
using kqtest::ClogCapture;

namespace {

std::shared_ptr<ConsoleLogChannel> console()
{
    return kqtest::formatted(std::make_shared<ConsoleLogChannel>());
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
    kq::logger::ILogger& logger = kq::logger::add("console.write", console());
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
    ConsoleLogChannel source = *console();
    ConsoleLogChannel copy(source);
    copy.write("n", "copy");
    ConsoleLogChannel target;
    target = std::move(source);
    target.write("n", "target");
    source.write("n", "source");
    EXPECT_EQ("copy\ntarget\n", capture.text());
}

// Threads 0 and 2 share one channel, 1 and 3 have their own.
TEST(ConsoleLogChannel, ThreadsProduceWholeLinesEachMessageOnce)
{
    const std::vector<std::string> writers{"0", "1", "2", "3"};
    const int messages = 300;
    auto shared = console();
    ClogCapture capture;
    std::vector<std::thread> workers;
    for (size_t t = 0; t < writers.size(); ++t) {
        workers.emplace_back([channel = t % 2 == 0 ? shared : console(), &writer = writers[t]] {
            for (int m = 0; m < messages; ++m) {
                channel->write("", kqtest::writerMessage(writer, m));
            }
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    EXPECT_EQ(std::vector<std::string>(), kqtest::unevenLines(capture.text(), writers, messages));
}

}  // namespace
