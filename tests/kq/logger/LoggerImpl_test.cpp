#include "LogTest.h"

#include <kq/NumberFormatter.h>

#include <climits>

using kq::logger::ILogger;
using kqtest::RecordingChannel;

namespace {

const unsigned char Bytes[] = {0x01, 0xAB};

class Logging : public ::testing::Test {
protected:
    std::shared_ptr<RecordingChannel> channel_ = std::make_shared<RecordingChannel>();
    ILogger& logger_ = kq::logger::add("logging.test", channel_);

    // Every operation once with the given data; returns the texts the channel received,
    // all under the logger's own name.
    std::vector<std::string> logAll(int level, const void* data, unsigned size)
    {
        channel_->writes.clear();
        logger_.setLevel(level);
        logger_.info("i");
        logger_.infoDump("id", data, size);
        logger_.infoHex("ih", data, size);
        logger_.debug("d");
        logger_.debugDump("dd", data, size);
        logger_.debugHex("dh", data, size);
        std::vector<std::string> texts;
        for (const auto& write : channel_->writes) {
            EXPECT_EQ("logging.test", write.first);
            texts.push_back(write.second);
        }
        return texts;
    }
};

TEST_F(Logging, LevelScaleAndTexts)
{
    const std::string dump = kq::NumberFormatter::formatBuffer(Bytes, sizeof Bytes, 16);
    const struct {
        int level;
        const void* data;
        unsigned size;
        std::vector<std::string> texts;
    } cases[] = {
        {-1, Bytes, sizeof Bytes, {}},
        {0, Bytes, sizeof Bytes, {"i", "id\n" + dump, "ih: 01 AB "}},
        {1,
         Bytes,
         sizeof Bytes,
         {"i", "id\n" + dump, "ih: 01 AB ", "d", "dd\n" + dump, "dh 01 AB "}},
        {1, "", 0, {"i", "id\n", "ih: ", "d", "dd\n", "dh "}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.texts, logAll(c.level, c.data, c.size))
            << "level " << c.level << ", " << c.size << " bytes";
    }
}

// Suppressed calls must not look at their data: a null pointer with a huge size would
// crash any conversion.
TEST_F(Logging, SuppressedCallsDoNotReadTheirData)
{
    logger_.setLevel(0);
    logger_.debugDump("dd", nullptr, UINT_MAX);
    logger_.debugHex("dh", nullptr, UINT_MAX);
    logger_.setLevel(-1);
    logger_.infoDump("id", nullptr, UINT_MAX);
    logger_.infoHex("ih", nullptr, UINT_MAX);
    EXPECT_TRUE(channel_->writes.empty());
}

TEST_F(Logging, EmptyChannelWritesNothing)
{
    logger_.setChannel(nullptr);
    ASSERT_NE(nullptr, logger_.channel());
    logger_.info("dropped");
    EXPECT_TRUE(channel_->writes.empty());
}

TEST(AbstractLogChannel, CopySharesAndMoveTakesTheFormatter)
{
    struct Probe : kq::logger::NullLogChannel {
        kq::logger::IMessageFormatter* current() const { return formatter_.get(); }
    };
    auto formatter = std::make_shared<kq::logger::ConsoleFormatter>();
    Probe source;
    source.setFormatter(formatter);
    Probe copy(source);
    EXPECT_EQ(formatter.get(), copy.current());
    Probe moved(std::move(source));
    EXPECT_EQ(formatter.get(), moved.current());
    EXPECT_EQ(nullptr, source.current());
}

}  // namespace
