#include "ChannelStress.h"

#include "IpcTest.h"

#include <kq/ipc/SharedMemory.h>

#include <cstring>
#include <iostream>
#include <thread>

namespace kqtest {

namespace {

// stream, number, checksum, then (number * 37) % 200 bytes: sizes above and below
// their neighbours', so removals move data by more and by less than a message.
const std::size_t HeaderSize = 12;

std::uint32_t checksum(const unsigned char* bytes, std::size_t size)
{
    std::uint32_t sum = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) {
        sum = (sum ^ bytes[i]) * 16777619u;
    }
    return sum;
}

std::uint32_t wordOf(const std::vector<unsigned char>& message, std::size_t at)
{
    std::uint32_t value;
    std::memcpy(&value, message.data() + at, sizeof value);
    return value;
}

std::vector<unsigned char> stressMessage(unsigned int stream, std::uint32_t number)
{
    std::vector<unsigned char> message(HeaderSize + number * 37 % 200);
    std::memcpy(message.data(), &stream, 4);
    std::memcpy(message.data() + 4, &number, 4);
    for (std::size_t i = HeaderSize; i < message.size(); ++i) {
        message[i] = static_cast<unsigned char>(number * 7 + i * 13);
    }
    const std::uint32_t sum = checksum(message.data() + HeaderSize, message.size() - HeaderSize);
    std::memcpy(message.data() + 8, &sum, 4);
    return message;
}

bool intact(unsigned int stream, const std::vector<unsigned char>& message)
{
    return message.size() >= HeaderSize && wordOf(message, 0) == stream &&
           message == stressMessage(stream, wordOf(message, 4));
}

struct Peer {
    Peer(const std::string& channel)
        : channel(channel, StressBlockSize),
          memory(channel + "_board", sizeof(StressBoard)),
          board(*static_cast<StressBoard*>(memory.begin()))
    {
        std::cout << ReportMarker << "running" << std::endl;
    }
    kq::ipc::MessageChannel channel;
    kq::ipc::SharedMemory memory;
    StressBoard& board;
};

}  // namespace

void takeStressMessage(StressBoard& board, unsigned int stream,
                       const std::vector<unsigned char>& message)
{
    const bool whole = intact(stream, message);
    const std::uint32_t number = whole ? wordOf(message, 4) : 0;
    if (!whole || number <= board.taken[stream].load()) {
        if (board.errors.fetch_add(1) == 0) {
            board.firstError[0] = stream;
            board.firstError[1] = number;
            board.firstError[2] = board.taken[stream].load();
        }
        return;
    }
    board.taken[stream].store(wordOf(message, 4));
    board.delivered[stream].fetch_add(1);
}

// The number a killed sender was sending is skipped: that message is lost or queued.
void stressSend(const std::string& channel, const std::string& stream)
{
    Peer peer(channel);
    const unsigned int k = static_cast<unsigned int>(std::stoul(stream));
    while (peer.board.stop.load() == 0) {
        const std::uint32_t number = peer.board.attempted[k].load() + 1;
        peer.board.attempted[k].store(number);
        std::vector<unsigned char> message = stressMessage(k, number);
        while (
            !peer.channel.send(k + 1, message.data(), static_cast<unsigned int>(message.size()))) {
            if (peer.board.stop.load() != 0) {
                peer.board.attempted[k].store(number - 1);  // never sent
                return;
            }
            std::this_thread::yield();
        }
    }
}

void stressReceive(const std::string& channel, const std::string& stream)
{
    Peer peer(channel);
    const unsigned int k = static_cast<unsigned int>(std::stoul(stream));
    std::vector<unsigned char> message;
    while (peer.board.stop.load() == 0) {
        if (peer.channel.recvWait(k + 1, message, 20)) {
            takeStressMessage(peer.board, k, message);
        }
    }
}

}  // namespace kqtest
