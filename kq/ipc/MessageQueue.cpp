#include <kq/ipc/detail/MessageQueue.h>

#include <kq/StringUtils.h>

#include <cstring>
#include <stdexcept>

namespace kq {
namespace ipc {
namespace detail {

namespace {

constexpr std::uint64_t CountOffset = 0;
constexpr std::uint64_t RecordsOffset = 16;
constexpr std::uint64_t RecordSize = 16;

}  // namespace

MessageQueue::MessageQueue(const std::string& channel, unsigned char* block, unsigned int size)
    : channel_(channel), block_(block), size_(size)
{
}

bool MessageQueue::seenEmpty() const
{
    return __atomic_load_n(countWord(), __ATOMIC_ACQUIRE) == 0;
}

bool MessageQueue::seenFull() const
{
    return __atomic_load_n(countWord(), __ATOMIC_ACQUIRE) == MaxMessages;
}

unsigned int MessageQueue::count() const
{
    return checked().count;
}

bool MessageQueue::push(unsigned int id, const void* data, unsigned int size)
{
    const State state = checked();
    if (state.count >= MaxMessages || state.end + size > size_) {
        return false;
    }
    setRecord(state.count, Record{id, size, static_cast<std::uint32_t>(state.end)});
    if (size != 0 && data != nullptr) {
        std::memcpy(block_ + state.end, data, size);
    }
    setCount(state.count + 1);
    return true;
}

bool MessageQueue::take(unsigned int id, void* buffer, unsigned int size)
{
    const State state = checked();
    const unsigned int index = find(id, state.count);
    if (index == state.count) {
        return false;
    }
    const Record r = record(index);
    if (r.size != size) {
        return false;
    }
    if (size != 0) {
        std::memcpy(buffer, block_ + r.offset, size);
    }
    remove(index, state);
    return true;
}

bool MessageQueue::take(unsigned int id, std::vector<unsigned char>& data)
{
    const State state = checked();
    const unsigned int index = find(id, state.count);
    if (index == state.count) {
        return false;
    }
    const Record r = record(index);
    data.assign(block_ + r.offset, block_ + r.offset + r.size);
    remove(index, state);
    return true;
}

// Another process may have left anything in the block: nothing is trusted before
// it is known to lie inside it.
MessageQueue::State MessageQueue::checked() const
{
    const std::uint32_t count = load(CountOffset);
    std::uint64_t end = DataOffset;
    bool consistent = count <= MaxMessages;
    for (unsigned int i = 0; consistent && i < count; ++i) {
        const Record r = record(i);
        consistent = r.offset == end && end + r.size <= size_;
        end += r.size;
    }
    if (!consistent) {
        throw std::runtime_error(kq::format(
            "MessageChannel '%s': the queue in shared memory is inconsistent", channel_.c_str()));
    }
    return State{count, end};
}

unsigned int MessageQueue::find(unsigned int id, unsigned int count) const
{
    unsigned int i = 0;
    while (i < count && id != 0 && record(i).id != id) {
        ++i;
    }
    return i;
}

// The newer messages' data and records move down over the removed one, so the
// data stay packed from DataOffset in arrival order.
void MessageQueue::remove(unsigned int index, const State& state)
{
    const Record removed = record(index);
    const std::uint64_t newer = removed.offset + removed.size;
    std::memmove(block_ + removed.offset, block_ + newer, state.end - newer);
    for (unsigned int i = index; i + 1 < state.count; ++i) {
        Record r = record(i + 1);
        r.offset -= removed.size;
        setRecord(i, r);
    }
    setCount(state.count - 1);
}

MessageQueue::Record MessageQueue::record(unsigned int index) const
{
    const std::uint64_t at = RecordsOffset + RecordSize * index;
    return Record{load(at), load(at + 4), load(at + 8)};
}

// The fourth word of a record is reserved: never read or written.
void MessageQueue::setRecord(unsigned int index, const Record& r)
{
    const std::uint64_t at = RecordsOffset + RecordSize * index;
    store(at, r.id);
    store(at + 4, r.size);
    store(at + 8, r.offset);
}

std::uint32_t* MessageQueue::countWord() const
{
    return reinterpret_cast<std::uint32_t*>(block_ + CountOffset);
}

// Written atomically: seenEmpty and seenFull read it without the lock.
void MessageQueue::setCount(std::uint32_t count)
{
    __atomic_store_n(countWord(), count, __ATOMIC_RELEASE);
}

std::uint32_t MessageQueue::load(std::uint64_t offset) const
{
    std::uint32_t value;
    std::memcpy(&value, block_ + offset, sizeof value);
    return value;
}

void MessageQueue::store(std::uint64_t offset, std::uint32_t value)
{
    std::memcpy(block_ + offset, &value, sizeof value);
}

}  // namespace detail
}  // namespace ipc
}  // namespace kq
