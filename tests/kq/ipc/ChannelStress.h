#pragma once

#include <kq/ipc/MessageChannel.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace kqtest {

// The crash test of the message channel: one sender and one receiver process per
// stream, killed and restarted at random instants. Stream k's messages carry the id
// k + 1, a sequence number from 1 and a checksum. The board, in shared memory
// "<channel>_board", keeps what the processes did across their kills.
const unsigned int StressStreams = 2;
const unsigned int StressBlockSize = kq::ipc::MessageChannel::DataOffset + 256 * 240;

struct StressBoard {
    std::atomic<std::uint32_t> attempted[StressStreams];  // last number a sender began to send
    std::atomic<std::uint32_t> taken[StressStreams];      // last number a receiver took
    std::atomic<std::uint32_t> delivered[StressStreams];  // messages taken and checked
    std::atomic<std::uint32_t> errors;                    // damaged, duplicated or out of order
    // The first error: the stream, the number received (0 when damaged), the last taken.
    std::atomic<std::uint32_t> firstError[3];
    std::atomic<std::uint32_t> stop;
};

// Checks a message of the stream against the last one taken and records it.
void takeStressMessage(StressBoard& board, unsigned int stream,
                       const std::vector<unsigned char>& message);

// The two child roles; the argument is the stream number. Each says "running" once
// it has opened the channel and returns when the board says stop.
void stressSend(const std::string& channel, const std::string& stream);
void stressReceive(const std::string& channel, const std::string& stream);

}  // namespace kqtest
