#include "IpcTest.h"

#include <kq/ipc/MessageChannel.h>
#include <kq/ipc/SharedMemory.h>
#include <kq/ipc/SystemMutex.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>
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

namespace {

TEST(MessageChannelWait, AWaiterInAnotherProcessTakesTheMessageSentAfterItBeganToWait)
{
    const std::string name = kqtest::uniqueName("wait");
    MessageChannel channel(name, BlockSize);
    auto waiter = kqtest::startChild("wait-message", name);
    kqtest::expectLine(*waiter, "waiting");
    ASSERT_TRUE(kqtest::sendWorkedMessages(channel));
    kqtest::expectLine(*waiter, "took 9");
    EXPECT_EQ(1u, channel.inQueue());
}

TEST(MessageChannelWait, WithoutAMessageOfTheIdTheWaitEndsAtItsTimeout)
{
    MessageChannel channel(kqtest::uniqueName("timeout"), BlockSize);
    ASSERT_TRUE(channel.send(7, nullptr, 0));
    std::vector<unsigned char> data{1};
    EXPECT_FALSE(channel.recvWait(9, data, 0));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(channel.recvWait(9, data, 120));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(120));
    EXPECT_EQ(std::vector<unsigned char>{1}, data);
    EXPECT_EQ(1u, channel.inQueue());
}

// Each waiter wants another id; one send wakes one waiter, yet both get theirs.
TEST(MessageChannelWait, EveryWaiterGetsTheMessageOfItsId)
{
    const std::string name = kqtest::uniqueName("waiters");
    MessageChannel channel(name, BlockSize);
    std::vector<unsigned char> seven;
    std::thread other([&name, &seven] {
        MessageChannel own(name, BlockSize);
        own.recvWait(7, seven, -1);
    });
    std::vector<unsigned char> nine;
    ASSERT_TRUE(kqtest::sendWorkedMessages(channel));
    EXPECT_TRUE(channel.recvWait(9, nine, -1));
    other.join();
    EXPECT_EQ((std::vector<unsigned char>{1, 2, 3}), seven);
    EXPECT_EQ((std::vector<unsigned char>{4, 5}), nine);
}

TEST(MessageChannelWait, AWaiterKilledWhileWaitingDisturbsNoOne)
{
    const std::string name = kqtest::uniqueName("killed_waiter");
    MessageChannel channel(name, BlockSize);
    auto killed = kqtest::startChild("wait-message", name);
    kqtest::expectLine(*killed, "waiting");
    killed.reset();

    auto waiter = kqtest::startChild("wait-message", name);
    kqtest::expectLine(*waiter, "waiting");
    ASSERT_TRUE(kqtest::sendWorkedMessages(channel));
    kqtest::expectLine(*waiter, "took 9");
    std::vector<unsigned char> seven;
    EXPECT_TRUE(channel.recvWait(7, seven, 0));
    EXPECT_EQ((std::vector<unsigned char>{1, 2, 3}), seven);
}

}  // namespace

namespace {

// What a receiver killed while removing message 0 of three (ids 1, 2, 3; message n
// holds bytes of value n) leaves behind: a count word above 256 (bit 31; the count,
// the removed index from bit 9, the slot being written from bit 18, the step from bit
// 27: 1 data, 2 records, 3 whole messages), part of the newer data moved, part of the
// records moved.
struct Crash {
    const char* what;
    std::vector<unsigned int> sizes;
    std::uint32_t step;
    unsigned int slot;
    unsigned int bytesMoved;         // of the newer data, from 4113
    std::uint32_t progress;          // the removed record's offset word in step 1
    std::vector<Record> recordsSet;  // slots rewritten, from 0
};

void leave(const Channel& c, const Crash& crash)
{
    unsigned char* block = kqtest::bytes(c.block);
    std::memmove(block + 4113, block + 4113 + crash.sizes[0], crash.bytesMoved);
    if (crash.step == 1) {
        kqtest::setWordAt(c.block, 16 + 8, crash.progress);
    }
    for (unsigned int i = 0; i < crash.recordsSet.size(); ++i) {
        const Record& r = crash.recordsSet[i];
        kqtest::setWordAt(c.block, 16 + 16 * i, r.id);
        kqtest::setWordAt(c.block, 16 + 16 * i + 4, r.size);
        kqtest::setWordAt(c.block, 16 + 16 * i + 8, r.offset);
    }
    kqtest::setWordAt(c.block, 0, 0x80000000u | crash.step << 27 | crash.slot << 18 | 3);
}

TEST(MessageChannel, TheNextOperationFinishesARemovalItsReceiverDiedIn)
{
    const std::vector<unsigned int> smallFirst = {5, 12, 3}, largeFirst = {12, 5, 3};
    const std::vector<Crash> crashes = {
        {"before the first chunk", smallFirst, 1, 0, 0, 4113, {}},
        {"inside the second chunk", smallFirst, 1, 0, 7, 4118, {}},
        {"inside the last chunk", smallFirst, 1, 0, 12, 4123, {}},
        {"data moved, first record half written", smallFirst, 2, 0, 15, 0, {{2, 3, 4125}}},
        {"second record being written", smallFirst, 2, 1, 15, 0, {{2, 12, 4113}, {3, 3, 4125}}},
        {"first message half moved", largeFirst, 3, 0, 2, 0, {}},
        {"second message half moved", largeFirst, 3, 1, 7, 0, {{2, 5, 4113}, {3, 9, 9}}},
    };
    for (const auto& crash : crashes) {
        Channel c(kqtest::uniqueName("crash"));
        for (unsigned int n = 1; n <= 3; ++n) {
            std::vector<unsigned char> bytes(crash.sizes[n - 1], static_cast<unsigned char>(n));
            ASSERT_TRUE(c.channel.send(n, bytes.data(), crash.sizes[n - 1]));
        }
        leave(c, crash);

        const unsigned int second = crash.sizes[1], third = crash.sizes[2];
        EXPECT_EQ(2u, c.channel.inQueue()) << crash.what;
        EXPECT_EQ((std::vector<Record>{{2, second, 4113}, {3, third, 4113 + second}}),
                  records(c.block))
            << crash.what;
        EXPECT_EQ(std::vector<unsigned char>(second, 2), data(c.block, 4113, second)) << crash.what;
        EXPECT_EQ(std::vector<unsigned char>(third, 3), data(c.block, 4113 + second, third))
            << crash.what;
    }
}

}  // namespace
