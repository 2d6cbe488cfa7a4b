#include "LogTest.h"

#include <kq/logger/SplitLogChannel.h>

#include <chrono>
#include <future>
#include <stdexcept>

using kq::logger::SplitLogChannel;

namespace {

// Appends "<tag>:<message>" to a log shared by several channels, to see their order;
// the tag "throw" fails instead.
struct OrderChannel : kq::logger::AbstractLogChannel {
    OrderChannel(std::vector<std::string>& log, std::string tag) : log(log), tag(std::move(tag)) {}
    void write(const std::string&, const std::string& message) override
    {
        if (tag == "throw") {
            throw std::runtime_error("child failed");
        }
        log.push_back(tag + ":" + message);
    }
    std::vector<std::string>& log;
    std::string tag;
};

TEST(SplitLogChannel, WithoutChildrenDropsEverything)
{
    EXPECT_NO_THROW(SplitLogChannel().write("n", "m"));
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
    for (const char* tag : {"a", "throw", "b"}) {
        split.add(std::make_shared<OrderChannel>(log, tag));
    }
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
    auto recording = std::make_shared<kqtest::RecordingChannel>();
    SplitLogChannel split;
    split.add(kqtest::formatted(std::make_shared<kq::logger::ConsoleLogChannel>()));
    split.add(recording);
    split.write("n", "m");
    EXPECT_EQ("m\n", capture.text());
    EXPECT_EQ((decltype(recording->writes){{"n", "m"}}), recording->writes);
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
