#pragma once

#include <kq/ipc/MessageChannel.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kq {
namespace ipc {
namespace detail {

// The message queue kept in a shared block, as MessageChannel describes it. The
// caller holds the channel's lock around every call. Each operation first checks
// what it reads from the block (the count, and every record's data packed in
// order inside the block) and throws std::runtime_error naming the channel,
// having changed nothing, when the queue is not consistent.
class MessageQueue {
public:
    static constexpr unsigned int MaxMessages = MessageChannel::MaxMessages;
    static constexpr unsigned int DataOffset = MessageChannel::DataOffset;

    // size is at least DataOffset.
    MessageQueue(const std::string& channel, unsigned char* block, unsigned int size);

    // A glance at the count without the lock, for pollers: a queue seen empty or
    // full was so at that moment, which is all a false result of recv or send says.
    bool seenEmpty() const;
    bool seenFull() const;
    unsigned int count() const;
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
    struct State {
        unsigned int count;
        std::uint64_t end;  // one past the last message's data
    };

    State checked() const;
    unsigned int find(unsigned int id, unsigned int count) const;
    void remove(unsigned int index, const State& state);
    Record record(unsigned int index) const;
    void setRecord(unsigned int index, const Record& r);
    std::uint32_t* countWord() const;
    void setCount(std::uint32_t count);
    std::uint32_t load(std::uint64_t offset) const;
    void store(std::uint64_t offset, std::uint32_t value);

    std::string channel_;
    unsigned char* block_;
    unsigned int size_;
};

}  // namespace detail
}  // namespace ipc
}  // namespace kq
