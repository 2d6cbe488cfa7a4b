#include "IpcTest.h"

#include <kq/ipc/MessageChannel.h>
#include <kq/ipc/SharedMemory.h>
#include <kq/ipc/SystemMutex.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using kq::ipc::MessageChannel;
using kq::ipc::SharedMemory;

namespace {

const unsigned int BlockSize = 8192;

struct Record {
    std::uint32_t id;
    std::uint32_t size;
    std::uint32_t offset;
    bool operator==(const Record& r) const
    {
        return id == r.id && size == r.size && offset == r.offset;
    }
};

std::ostream& operator<<(std::ostream& out, const Record& r)
{
    return out << "{ " << r.id << ", " << r.size << ", " << r.offset << " }";
}

// The queue as the shared block holds it: count, then the records.
std::vector<Record> records(const SharedMemory& block)
{
    std::vector<Record> result;
    for (unsigned int i = 0; i < kqtest::wordAt(block, 0); ++i) {
        const unsigned int at = 16 + 16 * i;
        result.push_back({kqtest::wordAt(block, at), kqtest::wordAt(block, at + 4),
                          kqtest::wordAt(block, at + 8)});
    }
    return result;
}

std::vector<unsigned char> data(const SharedMemory& block, unsigned int offset, unsigned int size)
{
    return std::vector<unsigned char>(kqtest::bytes(block) + offset,
                                      kqtest::bytes(block) + offset + size);
}

struct Channel {
    explicit Channel(const std::string& name, unsigned int size = BlockSize)
        : channel(name, size), block(name + "_data", size)
    {
    }
    MessageChannel channel;
    SharedMemory block;
};

// send(7, 3 bytes), send(9, 2 bytes), then recv(7, 3 bytes), byte for byte.
void expectWorkedLayout(MessageChannel& channel, const SharedMemory& block)
{
    EXPECT_EQ((std::vector<Record>{{7, 3, 4113}, {9, 2, 4116}}), records(block));
    EXPECT_EQ((std::vector<unsigned char>{1, 2, 3, 4, 5}), data(block, 4113, 5));

    unsigned char buffer[3] = {};
    ASSERT_TRUE(channel.recv(7, buffer, 3));
    EXPECT_EQ((std::vector<unsigned char>{1, 2, 3}),
              std::vector<unsigned char>(buffer, buffer + 3));
    EXPECT_EQ((std::vector<Record>{{9, 2, 4113}}), records(block));
    EXPECT_EQ((std::vector<unsigned char>{4, 5}), data(block, 4113, 2));
}

TEST(MessageChannel, WorkedLayout)
{
    Channel c(kqtest::uniqueName("channel"));
    EXPECT_EQ(0u, c.channel.inQueue());
    ASSERT_TRUE(kqtest::sendWorkedMessages(c.channel));
    expectWorkedLayout(c.channel, c.block);
}

struct Message {
    unsigned int id;
    unsigned int size;
};

struct SelectionCase {
    const char* what;
    std::vector<Message> sent;
    unsigned int id;
    unsigned int size;
    bool taken;
    std::vector<Record> left;
};

// Message n carries n bytes of value n: the data left show which messages moved where.
TEST(MessageChannel, ReceiveSelectsTheOldestOfTheIdOnlyAtItsExactSize)
{
    const std::vector<SelectionCase> cases = {
        {"the middle of three", {{7, 1}, {9, 2}, {7, 3}}, 9, 2, true, {{7, 1, 4113}, {7, 3, 4114}}},
        {"the first match decides", {{7, 1}, {7, 2}}, 7, 2, false, {{7, 1, 4113}, {7, 2, 4114}}},
        {"0 takes the oldest", {{9, 1}, {7, 2}}, 0, 1, true, {{7, 2, 4113}}},
        {"no such id", {{7, 1}}, 8, 1, false, {{7, 1, 4113}}},
        {"an empty message", {{5, 0}, {6, 2}}, 5, 0, true, {{6, 2, 4113}}},
    };
    for (const auto& c : cases) {
        Channel channel(kqtest::uniqueName("select"));
        std::vector<unsigned char> all;
        for (const auto& m : c.sent) {
            std::vector<unsigned char> bytes(m.size, static_cast<unsigned char>(m.size));
            ASSERT_TRUE(channel.channel.send(m.id, bytes.data(), m.size)) << c.what;
        }
        std::vector<unsigned char> buffer(c.size + 1);
        EXPECT_EQ(c.taken, channel.channel.recv(c.id, buffer.data(), c.size)) << c.what;
        EXPECT_EQ(c.left, records(channel.block)) << c.what;
        for (const auto& r : c.left) {
            EXPECT_EQ(std::vector<unsigned char>(r.size, static_cast<unsigned char>(r.size)),
                      data(channel.block, r.offset, r.size))
                << c.what;
        }
    }
}

TEST(MessageChannel, ReceivingIntoAVectorSelectsById)
{
    Channel c(kqtest::uniqueName("vector"));
    ASSERT_TRUE(kqtest::sendWorkedMessages(c.channel));
    std::vector<unsigned char> received;
    EXPECT_FALSE(c.channel.recv(8, received));
    ASSERT_TRUE(c.channel.recv(9, received));
    EXPECT_EQ((std::vector<unsigned char>{4, 5}), received);
    ASSERT_TRUE(c.channel.recv(0, received));
    EXPECT_EQ((std::vector<unsigned char>{1, 2, 3}), received);
    EXPECT_EQ(0u, c.channel.inQueue());
}

TEST(MessageChannel, AFullQueueOrBlockRefusesTheMessageAndWritesNothing)
{
    Channel full(kqtest::uniqueName("full"));
    for (unsigned int i = 0; i < 256; ++i) {
        ASSERT_TRUE(full.channel.send(i + 1, nullptr, 0));
    }
    EXPECT_FALSE(full.channel.send(1, nullptr, 0));
    EXPECT_EQ(256u, full.channel.inQueue());

    Channel tight(kqtest::uniqueName("tight"), 4113 + 10);
    unsigned char bytes[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_TRUE(tight.channel.send(1, bytes, 8));
    EXPECT_FALSE(tight.channel.send(2, bytes, 3));
    EXPECT_EQ(1u, tight.channel.inQueue());
    EXPECT_EQ((std::vector<unsigned char>{0, 0}), data(tight.block, 4113 + 8, 2));
    EXPECT_TRUE(tight.channel.send(2, bytes, 2));
}

TEST(MessageChannel, ABlockTooSmallForTheRecordsIsRefused)
{
    EXPECT_THROW(MessageChannel(kqtest::uniqueName("tiny"), 4112), std::invalid_argument);
}

TEST(MessageChannel, AnInconsistentQueueIsReportedAndLeftAlone)
{
    struct Damage {
        const char* what;
        unsigned int offset;
        std::uint32_t value;
    };
    const std::vector<Damage> damages = {
        {"count past 256", 0, 257},
        {"data before the data area", 16 + 8, 4112},
        {"data past the end of the block", 16 + 16 + 4, BlockSize},
    };
    for (const auto& d : damages) {
        const std::string name = kqtest::uniqueName("damaged");
        Channel c(name);
        ASSERT_TRUE(kqtest::sendWorkedMessages(c.channel));
        kqtest::setWordAt(c.block, d.offset, d.value);
        std::vector<unsigned char> received;
        try {
            c.channel.recv(0, received);
            ADD_FAILURE() << d.what << ": no error";
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string::npos, std::string(e.what()).find(name)) << e.what();
        }
        EXPECT_THROW(c.channel.send(1, nullptr, 0), std::runtime_error) << d.what;
        EXPECT_EQ(d.value, kqtest::wordAt(c.block, d.offset)) << d.what;
    }
}

TEST(MessageChannel, ASecondChannelUsesTheQueueItFinds)
{
    const std::string name = kqtest::uniqueName("second");
    Channel first(name);
    ASSERT_TRUE(first.channel.send(3, nullptr, 0));
    MessageChannel second(name, BlockSize);
    EXPECT_EQ(1u, second.inQueue());
}

TEST(MessageChannel, AfterTheLastCloserANewChannelStartsEmpty)
{
    const std::string name = kqtest::uniqueName("closed");
    {
        MessageChannel channel(name, BlockSize);
        ASSERT_TRUE(channel.send(3, nullptr, 0));
    }
    EXPECT_EQ(0u, MessageChannel(name, BlockSize).inQueue());
}

TEST(MessageChannel, AChildSendsIntoTheParentsQueue)
{
    const std::string name = kqtest::uniqueName("shared");
    Channel c(name);
    unsigned char three[] = {3};
    ASSERT_TRUE(c.channel.send(3, three, 1));
    auto child = kqtest::startChild("send-messages", name);
    kqtest::expectLine(*child, "queued=1");
    kqtest::expectLine(*child, "sent");
    ASSERT_EQ(0, child->wait(std::chrono::seconds(30))) << child->err();

    ASSERT_TRUE(c.channel.recv(3, three, 1));
    expectWorkedLayout(c.channel, c.block);
}

TEST(MessageChannel, AChildKilledWhileHoldingTheLockDoesNotStopTheChannel)
{
    const std::string name = kqtest::uniqueName("abandoned");
    MessageChannel channel(name, BlockSize);
    auto child = kqtest::startChild("lock-mutex", name + "_lock");
    kqtest::expectLine(*child, "locked");
    child.reset();  // killed while it holds the lock

    EXPECT_TRUE(channel.send(1, nullptr, 0));
    EXPECT_EQ(1u, channel.inQueue());
}

}  // namespace
