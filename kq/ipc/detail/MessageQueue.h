#pragma once

#include <kq/ipc/MessageChannel.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kq {
namespace ipc {
namespace detail {

// The message queue kept in a shared block, as MessageChannel describes it. The
// caller holds the channel's lock around every call.
//
// Each call first settles the queue: a removal that a dead holder of the lock left
// half done is completed (see MessageQueue.cpp). It then checks what it reads -
// the count, the records it uses and the data it moves - and throws
// std::runtime_error naming the channel, having changed nothing, when that is not
// consistent.
class MessageQueue {
public:
    static constexpr unsigned int MaxMessages = MessageChannel::MaxMessages;
    static constexpr unsigned int DataOffset = MessageChannel::DataOffset;

    // size is at least DataOffset.
    MessageQueue(const std::string& channel, unsigned char* block, unsigned int size);

    unsigned int count();
    bool push(unsigned int id, const void* data, unsigned int size);
    // The oldest message of the id (any for 0): taken when its size is exactly size.
    bool take(unsigned int id, void* buffer, unsigned int size);
    // The oldest message of the id (any for 0), whatever its size.
    bool take(unsigned int id, std::vector<unsigned char>& data);

private:
    struct Record {
        std::uint32_t id;
        std::uint32_t size;
        std::uint32_t offset;
    };
    // The removal of message index from a queue of count messages whose data start at
    // start; the removed data are size bytes, the newer ones run to end.
    struct Removal {
        unsigned int count;
        unsigned int index;
        std::uint64_t start;
        std::uint64_t size;
        std::uint64_t end;
        std::uint64_t largest;  // the largest newer message
    };

    unsigned int settled();
    unsigned int resume(std::uint32_t journal);
    unsigned int find(unsigned int id, unsigned int count) const;
    Removal checkedRemoval(unsigned int index, unsigned int count) const;
    Removal removal(unsigned int index, unsigned int count) const;
    std::uint64_t startOf(unsigned int index) const;
    std::uint64_t packedEnd(unsigned int from, unsigned int to, std::uint64_t start,
                            std::uint64_t& largest) const;
    void remove(const Removal& r);
    void moveData(const Removal& r, std::uint64_t done);
    template <bool WithData>
    void shiftDown(const Removal& r, unsigned int slot);
    [[noreturn]] void inconsistent() const;

    Record record(unsigned int index) const;
    void setCountWord(std::uint32_t value);
    // The block passed in: the loops that move keep it in a local.
    static Record record(const unsigned char* block, unsigned int index);
    static void setRecord(unsigned char* block, unsigned int index, const Record& r);
    static std::uint32_t load(const unsigned char* at);
    static void store(unsigned char* at, std::uint32_t value);

    std::string channel_;
    unsigned char* block_;
    unsigned int size_;
};

}  // namespace detail
}  // namespace ipc
}  // namespace kq
