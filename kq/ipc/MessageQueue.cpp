#include <kq/ipc/detail/MessageQueue.h>

#include <kq/StringUtils.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>

// Removing a message moves every newer message's data and record down. A holder of
// the lock may be killed at any instant of that, so the removal keeps a journal in
// the count word, the only word whose every legal value (0 to 256) is known: while
// a removal runs it holds a value above 256 that says which message goes and how
// far the move got. The next holder of the lock finds it and finishes the removal
// from that point; every step below can be done again from the journal alone.
//
// When no newer message is larger than the removed one, each moves whole in one
// step (its data cannot overlap their new place), record after data; the journal
// names the slot being filled, whose source is the next, untouched record.
// Otherwise:
// 1. Data: the newer data move down in chunks no longer than the removed message,
//    so a chunk never overwrites its own source. Before each chunk, the removed
//    message's record (no longer needed) takes the chunk's destination in its
//    offset word; the offset it held, the start of its data, means "nothing moved".
// 2. Records: each newer record moves down one slot with its new offset; the
//    journal names the slot being written, whose source is the next, untouched one.
// 3. The count word takes the new count.
//
// A send needs no journal: its record and data lie past the count until the count
// is raised, in one aligned store.

namespace kq {
namespace ipc {
namespace detail {

namespace {

constexpr std::uint64_t RecordsOffset = 16;
constexpr std::uint64_t RecordSize = 16;
constexpr std::uint64_t OffsetWord = 8;

// Journal: bit 31 set; bits 0-8 the count, 9-17 the removed index, 18-26 the slot
// whose record is being written, 27-30 the step.
constexpr std::uint32_t Journal = 0x80000000u;
constexpr std::uint32_t Field = 0x1FF;
constexpr std::uint32_t MovingData = 1;
constexpr std::uint32_t MovingRecords = 2;
constexpr std::uint32_t MovingMessages = 3;

// Copies bytes that do not overlap; most messages are short, hence no call for them
// (a removal copies each newer message, so this runs once per message moved).
inline __attribute__((always_inline)) void copy(unsigned char* to, const unsigned char* from,
                                                std::uint64_t size)
{
    if (size > 64) {
        std::memcpy(to, from, size);
    } else if (size >= 16) {
        // Whole blocks of 16, the last one overlapping the one before when need be.
        for (std::uint64_t done = 0; done + 16 < size; done += 16) {
            __builtin_memcpy(to + done, from + done, 16);
        }
        __builtin_memcpy(to + size - 16, from + size - 16, 16);
    } else {
        for (; size != 0; --size) {
            *to++ = *from++;
        }
    }
}

// A journal word: every write before it is done before it, every write after it
// after it, as a process killed in between leaves them.
inline void publish(unsigned char* word, std::uint32_t value)
{
    __atomic_store_n(reinterpret_cast<std::uint32_t*>(word), value, __ATOMIC_RELEASE);
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

std::uint32_t journal(unsigned int count, unsigned int index, std::uint32_t step, unsigned int slot)
{
    return Journal | step << 27 | slot << 18 | index << 9 | count;
}

}  // namespace

MessageQueue::MessageQueue(const std::string& channel, unsigned char* block, unsigned int size)
    : channel_(channel), block_(block), size_(size)
{
}

unsigned int MessageQueue::count()
{
    return settled();
}

bool MessageQueue::push(unsigned int id, const void* data, unsigned int size)
{
    const unsigned int count = settled();
    if (count >= MaxMessages) {
        return false;
    }
    if (count != 0 && record(0).offset != DataOffset) {
        inconsistent();
    }
    const std::uint64_t start = startOf(count);
    if (start + size > size_) {
        return false;
    }
    setRecord(block_, count, Record{id, size, static_cast<std::uint32_t>(start)});
    if (data != nullptr) {
        copy(block_ + start, static_cast<const unsigned char*>(data), size);
    }
    setCountWord(count + 1);
    return true;
}

bool MessageQueue::take(unsigned int id, void* buffer, unsigned int size)
{
    const unsigned int count = settled();
    const unsigned int index = find(id, count);
    if (index == count) {
        return false;
    }
    const Removal r = checkedRemoval(index, count);
    if (r.size != size) {
        return false;
    }
    copy(static_cast<unsigned char*>(buffer), block_ + r.start, size);
    remove(r);
    return true;
}

bool MessageQueue::take(unsigned int id, std::vector<unsigned char>& data)
{
    const unsigned int count = settled();
    const unsigned int index = find(id, count);
    if (index == count) {
        return false;
    }
    const Removal r = checkedRemoval(index, count);
    data.assign(block_ + r.start, block_ + r.start + r.size);
    remove(r);
    return true;
}

// The count, once a removal left unfinished by a dead holder is complete.
inline unsigned int MessageQueue::settled()
{
    const std::uint32_t word =
        __atomic_load_n(reinterpret_cast<std::uint32_t*>(block_), __ATOMIC_ACQUIRE);
    return word <= MaxMessages ? word : resume(word);
}

unsigned int MessageQueue::resume(std::uint32_t word)
{
    const unsigned int count = word & Field;
    const unsigned int index = word >> 9 & Field;
    const unsigned int slot = word >> 18 & Field;
    const std::uint32_t step = word >> 27 & 0xF;
    if ((word & Journal) == 0 || count == 0 || count > MaxMessages || index >= count ||
        slot >= count) {
        inconsistent();
    }
    if (step == MovingData && slot == index) {
        const Removal r = removal(index, count);
        const std::uint64_t at = record(index).offset;
        if (r.size == 0 || at < r.start || at > r.end - r.size) {
            inconsistent();
        }
        moveData(r, at - r.start);
        shiftDown<false>(r, index);
    } else if (step == MovingRecords && slot >= index) {
        shiftDown<false>(Removal{count, index, 0, 0, 0, 0}, slot);
    } else if (step == MovingMessages && slot >= index) {
        shiftDown<true>(Removal{count, index, 0, 0, 0, 0}, slot);
    } else {
        inconsistent();
    }
    return count - 1;
}

inline unsigned int MessageQueue::find(unsigned int id, unsigned int count) const
{
    if (id == 0) {
        return 0;
    }
    unsigned int i = 0;
    while (i < count && load(block_ + RecordsOffset + RecordSize * i) != id) {
        ++i;
    }
    return i;
}

// A removal of a message whose record and newer records are all in place.
inline MessageQueue::Removal MessageQueue::checkedRemoval(unsigned int index,
                                                          unsigned int count) const
{
    const Removal r = removal(index, count);
    if (record(index).offset != r.start) {
        inconsistent();
    }
    return r;
}

// Everything but the removed record's offset, which a resumed removal has used.
inline MessageQueue::Removal MessageQueue::removal(unsigned int index, unsigned int count) const
{
    const std::uint64_t start = startOf(index);
    const std::uint64_t size = record(index).size;
    std::uint64_t largest = 0;
    const std::uint64_t end = packedEnd(index + 1, count, start + size, largest);
    return Removal{count, index, start, size, end, largest};
}

// Where message index's data start when the older ones are packed.
inline std::uint64_t MessageQueue::startOf(unsigned int index) const
{
    if (index == 0) {
        return DataOffset;
    }
    const Record older = record(index - 1);
    const std::uint64_t end = std::uint64_t{older.offset} + older.size;
    if (older.offset < DataOffset || end > size_) {
        inconsistent();
    }
    return end;
}

// The end of the data of records from to to - 1, each starting where the one before ends.
// largest: the size of the largest of them.
std::uint64_t MessageQueue::packedEnd(unsigned int from, unsigned int to, std::uint64_t start,
                                      std::uint64_t& largest) const
{
    std::uint64_t end = start;
    for (unsigned int i = from; i < to && end <= size_; ++i) {
        const Record r = record(i);
        if (r.offset != end) {
            inconsistent();
        }
        end += r.size;
        largest = std::max<std::uint64_t>(largest, r.size);
    }
    if (end > size_) {
        inconsistent();
    }
    return end;
}

void MessageQueue::remove(const Removal& r)
{
    if (r.size == 0 || r.end == r.start + r.size) {
        shiftDown<false>(r, r.index);
    } else if (r.largest <= r.size) {
        shiftDown<true>(r, r.index);
    } else {
        setCountWord(journal(r.count, r.index, MovingData, r.index));
        moveData(r, 0);
        shiftDown<false>(r, r.index);
    }
}

// done: bytes of the newer data already at their new place.
void MessageQueue::moveData(const Removal& r, std::uint64_t done)
{
    const std::uint64_t newer = r.end - r.start - r.size;
    const std::uint64_t start = r.start;
    const std::uint64_t size = r.size;
    unsigned char* const progress = block_ + RecordsOffset + RecordSize * r.index + OffsetWord;
    unsigned char* const to = block_ + start;
    while (done < newer) {
        publish(progress, static_cast<std::uint32_t>(start + done));
        const std::uint64_t chunk = std::min(size, newer - done);
        copy(to + done, to + size + done, chunk);
        done += chunk;
    }
}

// Records from slot + 1 on move down one slot, packed from where slot's data start;
// WithData: each message's data move with their record, in the same journal step.
// The loop keeps what it uses in locals: each journal word makes the compiler read
// memory afresh.
template <bool WithData>
void MessageQueue::shiftDown(const Removal& r, unsigned int slot)
{
    unsigned char* const block = block_;
    const std::uint64_t limit = size_;
    const unsigned int count = r.count;
    const std::uint32_t word =
        journal(count, r.index, WithData ? MovingMessages : MovingRecords, 0);
    std::uint64_t end = startOf(slot);
    for (unsigned int i = slot; i + 1 < count; ++i) {
        publish(block, word | i << 18);
        const Record newer = record(block, i + 1);
        if constexpr (WithData) {
            if (newer.offset < end + newer.size ||
                std::uint64_t{newer.offset} + newer.size > limit) {
                inconsistent();
            }
            copy(block + end, block + newer.offset, newer.size);
        } else {
            if (end + newer.size > limit) {
                inconsistent();
            }
        }
        setRecord(block, i, Record{newer.id, newer.size, static_cast<std::uint32_t>(end)});
        end += newer.size;
    }
    publish(block, count - 1);
}

void MessageQueue::inconsistent() const
{
    throw std::runtime_error(kq::format(
        "MessageChannel '%s': the queue in shared memory is inconsistent", channel_.c_str()));
}

inline MessageQueue::Record MessageQueue::record(unsigned int index) const
{
    return record(block_, index);
}

inline MessageQueue::Record MessageQueue::record(const unsigned char* block, unsigned int index)
{
    const unsigned char* at = block + RecordsOffset + RecordSize * index;
    return Record{load(at), load(at + 4), load(at + OffsetWord)};
}

// The fourth word of a record is reserved: never read or written.
inline void MessageQueue::setRecord(unsigned char* block, unsigned int index, const Record& r)
{
    unsigned char* at = block + RecordsOffset + RecordSize * index;
    store(at, r.id);
    store(at + 4, r.size);
    store(at + OffsetWord, r.offset);
}

inline void MessageQueue::setCountWord(std::uint32_t value)
{
    publish(block_, value);
}

inline std::uint32_t MessageQueue::load(const unsigned char* at)
{
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline void MessageQueue::store(unsigned char* at, std::uint32_t value)
{
    std::memcpy(at, &value, sizeof value);
}

}  // namespace detail
}  // namespace ipc
}  // namespace kq
