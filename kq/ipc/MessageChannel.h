#pragma once

#include <kq/export.h>

#include <memory>
#include <string>
#include <vector>

namespace kq {
namespace ipc {

class MessageChannelImpl;

// A named mailbox for byte messages between the processes of one log-on session.
// Messages wait in arrival order in the shared memory "<name>_data"; every
// operation holds the named mutex "<name>_lock" for its whole duration. A send
// sets the named auto-reset event "<name>_signal", on which recvWait sleeps.
//
// Shared block layout (32-bit little-endian numbers): the message count at 0;
// 256 records of { id, size, data offset, reserved } from offset 16; the data
// from offset 4113, packed in record order.
//
// A process killed inside an operation (kill -9 at any instant) costs at most the
// one message it was sending or receiving, never a duplicate or a damaged message:
// a send is not seen until its last write, and a receive in the middle of moving
// the newer messages down leaves a journal in the count word (a value above 256)
// that the next operation of any process finishes under the lock before it does
// its own. So a reader of the layout can rely, between operations, on the
// invariants above; only right after a holder of the lock died may it find a count
// above 256, which means "removal in progress" and is cleared by the next
// operation of this class. The other messages stay intact and in order.
class KQ_API MessageChannel {
public:
    static constexpr unsigned int MaxMessages = 256;
    static constexpr unsigned int DataOffset = 4113;

    // size is the byte size of the whole shared block, at least DataOffset. Throws
    // std::invalid_argument for a smaller size and std::runtime_error when the
    // named objects cannot be opened. A new block holds an empty queue; an existing
    // one is used as found.
    MessageChannel(const std::string& name, unsigned int size);
    ~MessageChannel();

    MessageChannel(const MessageChannel&) = delete;
    MessageChannel& operator=(const MessageChannel&) = delete;

    // Appends a message; false, with nothing written, when 256 messages wait or the
    // data would not fit in the block. A null data with a non-zero size reserves
    // the space without writing it.
    bool send(unsigned int id, void* data, unsigned int size);
    // Takes the oldest message of the id (any id for 0) if its size is exactly size;
    // false, with the queue unchanged, otherwise.
    bool recv(unsigned int id, void* buffer, unsigned int size);
    // Takes the oldest message of the id (any id for 0), whatever its size.
    bool recv(unsigned int id, std::vector<unsigned char>& data);
    // Like recv into a vector, but waits up to timeout milliseconds (-1: without
    // limit, on a clock that does not jump) for a message of the id. A send wakes one
    // waiter at once; every other waiter looks again within 20 ms. A waiter killed
    // while it waits takes no message with it.
    bool recvWait(unsigned int id, std::vector<unsigned char>& data, long timeout);
    unsigned int inQueue() const;

    // Every operation throws std::runtime_error naming the channel when what it reads
    // of the shared block (the count, the first record and the records it uses or
    // moves) is not consistent; it then changes nothing.

private:
    std::unique_ptr<MessageChannelImpl> impl_;
};

}  // namespace ipc
}  // namespace kq
