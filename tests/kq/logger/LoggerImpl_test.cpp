#include "RecordingChannel.h"

#include <kq/NumberFormatter.h>
#include <kq/logger/Logger.h>

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

using kq::logger::ILogger;
using kqtest::RecordingChannel;

namespace {

class Logging : public ::testing::Test {
protected:
    std::shared_ptr<RecordingChannel> channel = std::make_shared<RecordingChannel>();
    ILogger& logger = kq::logger::add("logging.test", channel);

    // Every operation once with the given data.
    void logAll(const void* data, unsigned size)
    {
        logger.info("i");
        logger.infoDump("id", data, size);
        logger.infoHex("ih", data, size);
        logger.debug("d");
        logger.debugDump("dd", data, size);
        logger.debugHex("dh", data, size);
    }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const auto& write : channel->writes)
            result.push_back(write.second);
        return result;
    }
};

TEST_F(Logging, LevelScale)
{
    const unsigned char bytes[] = {0x01, 0xAB};
    logger.setLevel(-1);
    logAll(bytes, sizeof bytes);
    EXPECT_TRUE(channel->writes.empty());

    logger.setLevel(0);
    logAll(bytes, sizeof bytes);
    EXPECT_EQ(3u, channel->writes.size());

    channel->writes.clear();
    logger.setLevel(1);
    logAll(bytes, sizeof bytes);
    EXPECT_EQ(6u, channel->writes.size());
}

// At level 0 the debug family must not look at its data at all: a null pointer with a
// huge size would crash any conversion.
TEST_F(Logging, SuppressedCallsDoNotReadTheirData)
{
    logger.setLevel(0);
    logger.debugDump("dd", nullptr, UINT_MAX);
    logger.debugHex("dh", nullptr, UINT_MAX);
    logger.setLevel(-1);
    logger.infoDump("id", nullptr, UINT_MAX);
    logger.infoHex("ih", nullptr, UINT_MAX);
    EXPECT_TRUE(channel->writes.empty());
}

TEST_F(Logging, TextsHandedToTheChannel)
{
    const unsigned char bytes[] = {0x01, 0xAB};
    logger.setLevel(1);
    logAll(bytes, sizeof bytes);
    const std::string dump = kq::NumberFormatter::formatBuffer(bytes, sizeof bytes, 16);
    EXPECT_EQ((std::vector<std::string>{"i", "id\n" + dump, "ih: 01 AB ", "d", "dd\n" + dump,
                                        "dh 01 AB "}),
              texts());
    EXPECT_EQ("logging.test", channel->writes[0].first);
}

TEST_F(Logging, ZeroByteDataAndEmptyMessages)
{
    logger.setLevel(1);
    logAll("", 0);
    EXPECT_EQ((std::vector<std::string>{"i", "id\n", "ih: ", "d", "dd\n", "dh "}), texts());
}

TEST_F(Logging, EmptyChannelWritesNothing)
{
    logger.setChannel(nullptr);
    ASSERT_NE(nullptr, logger.channel());
    logger.info("dropped");
    EXPECT_TRUE(channel->writes.empty());
}

TEST(AbstractLogChannel, CopySharesAndMoveTakesTheFormatter)
{
    struct Echo : kq::logger::IMessageFormatter {
        std::string format(const std::string&, const std::string& m) override { return m; }
    };
    struct Probe : kq::logger::NullLogChannel {
        kq::logger::IMessageFormatter* current() const { return formatter.get(); }
    };
    auto formatter = std::make_shared<Echo>();
    Probe source;
    source.setFormatter(formatter);
    Probe copy(source);
    EXPECT_EQ(formatter.get(), copy.current());
    Probe moved(std::move(source));
    EXPECT_EQ(formatter.get(), moved.current());
    EXPECT_EQ(nullptr, source.current());
}

}  // namespace
