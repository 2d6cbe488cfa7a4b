#include "RecordingChannel.h"

#include <kq/logger/ConsoleLogChannel.h>
#include <kq/logger/SplitLogChannel.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using kq::logger::SplitLogChannel;

namespace {

// Appends "<tag>:<message>" to a log shared by several channels, to see their order.
class OrderChannel : public kq::logger::AbstractLogChannel {
public:
    OrderChannel(std::vector<std::string>& log, std::string tag) : log(log), tag(std::move(tag)) {}
    void write(const std::string&, const std::string& message) override
    {
        if (tag == "throw")
            throw std::runtime_error("child failed");
        log.push_back(tag + ":" + message);
    }

private:
    std::vector<std::string>& log;
    std::string tag;
};

TEST(SplitLogChannel, WithoutChildrenDropsEverything)
{
    SplitLogChannel split;
    EXPECT_NO_THROW(split.write("n", "m"));
}

TEST(SplitLogChannel, ForwardsUnformattedInOrderAddedDuplicatesIncluded)
{
    std::vector<std::string> log;
    auto first = std::make_shared<OrderChannel>(log, "1");
    SplitLogChannel split;
    split.add(first);
    split.add(nullptr);
    split.add(std::make_shared<OrderChannel>(log, "2"));
    split.add(first);
    split.write("n", "m");
    EXPECT_EQ((std::vector<std::string>{"1:m", "2:m", "1:m"}), log);
}

TEST(SplitLogChannel, ThrowingChildStopsTheMessageAndReleasesTheLock)
{
    std::vector<std::string> log;
    SplitLogChannel split;
    split.add(std::make_shared<OrderChannel>(log, "a"));
    split.add(std::make_shared<OrderChannel>(log, "throw"));
    split.add(std::make_shared<OrderChannel>(log, "b"));
    EXPECT_THROW(split.write("n", "m"), std::runtime_error);
    EXPECT_EQ((std::vector<std::string>{"a:m"}), log);

    // Taking the lock again must succeed; another thread's bounded wait tells without hanging.
    auto relock = std::async(std::launch::async, [&split] { split.add(nullptr); });
    ASSERT_EQ(std::future_status::ready, relock.wait_for(std::chrono::seconds(10)))
        << "split lock still held after a child threw";
}

TEST(SplitLogChannel, ConsoleAndRecordingChildrenBothReceive)
{
    kqtest::ClogCapture capture;
    auto console = std::make_shared<kq::logger::ConsoleLogChannel>();
    console->setFormatter(std::make_shared<kq::logger::ConsoleFormatter>());
    auto recording = std::make_shared<kqtest::RecordingChannel>();
    SplitLogChannel split;
    split.add(console);
    split.add(recording);
    split.write("n", "m");
    EXPECT_EQ("m\n", capture.text());
    ASSERT_EQ(1u, recording->writes.size());
    EXPECT_EQ("m", recording->writes[0].second);
}

TEST(SplitLogChannel, ContainingItselfIsAnErrorNotADeadlock)
{
    SplitLogChannel outer;
    auto inner = std::make_shared<SplitLogChannel>();
    outer.add(inner);
    // Not owning: the cycle must not keep the channels alive.
    inner->add(std::shared_ptr<kq::logger::ILogChannel>(&outer, [](kq::logger::ILogChannel*) {}));
    EXPECT_THROW(outer.write("n", "m"), std::logic_error);
    EXPECT_THROW(outer.write("n", "m"), std::logic_error);
}

}  // namespace
