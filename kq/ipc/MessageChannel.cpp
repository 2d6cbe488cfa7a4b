#include <kq/ipc/MessageChannel.h>

#include <kq/ipc/SharedMemory.h>
#include <kq/ipc/detail/MessageQueue.h>
#include <kq/ipc/detail/SystemEventImpl.h>
#include <kq/ipc/detail/SystemMutexImpl.h>

#include <kq/StringUtils.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <stdexcept>

namespace kq {
namespace ipc {

namespace {

// Refused before any named object is opened.
unsigned int checkedSize(const std::string& name, unsigned int size)
{
    if (size < MessageChannel::DataOffset) {
        throw std::invalid_argument(
            kq::format("MessageChannel '%s': a block of %u bytes is smaller than the %u bytes "
                       "of the queue's header",
                       name.c_str(), size, MessageChannel::DataOffset));
    }
    return size;
}

// The named mutex's value for no time limit.
constexpr std::uint32_t Infinite = 0xFFFFFFFFu;
// How long a waiter sleeps before it looks again by itself: the auto-reset event
// wakes one waiter per send, so another waiter concerned finds its message then.
constexpr long RecheckMs = 20;

// Milliseconds left before a deadline on the monotonic clock, rounded up.
class Deadline {
public:
    explicit Deadline(long timeout)
        : forever_(static_cast<std::uint32_t>(timeout) == Infinite),
          at_(std::chrono::steady_clock::now() +
              std::chrono::milliseconds(forever_ ? 0 : static_cast<std::uint32_t>(timeout)))
    {
    }
    // The next sleep: no longer than maximum, 0 once the deadline has passed.
    long sleep(long maximum) const
    {
        if (forever_) {
            return maximum;
        }
        const auto left = at_ - std::chrono::steady_clock::now();
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        return static_cast<long>(std::max<decltype(ms)>(0, std::min<decltype(ms)>(ms, maximum)));
    }

private:
    bool forever_;
    std::chrono::steady_clock::time_point at_;
};

}  // namespace

class MessageChannelImpl {
public:
    MessageChannelImpl(const std::string& name, unsigned int size)
        : memory_(name + "_data", checkedSize(name, size)),
          mutex_(name + "_lock"),
          signal_(name + "_signal"),
          queue_(name, static_cast<unsigned char*>(memory_.begin()), size)
    {
        // A created block is zero-filled, so its queue is empty already. Emptying it
        // here could drop what another process sent since the block was created.
    }

    // Takes a message as recv does; when others still wait, sets the event again so
    // that another waiter looks too.
    bool takeAndRelay(unsigned int id, std::vector<unsigned char>& data)
    {
        bool taken = false;
        bool othersLeft = false;
        {
            const std::lock_guard locked(mutex_);
            taken = queue_.take(id, data);
            othersLeft = taken && queue_.count() != 0;
        }
        if (othersLeft) {
            signal_.set();
        }
        return taken;
    }

    SharedMemory memory_;
    // The objects behind SystemMutex and SystemEvent, reached without a call through
    // the library's exported interface on every operation.
    SystemMutexImpl mutex_;
    SystemEventImpl signal_;
    detail::MessageQueue queue_;
};

MessageChannel::MessageChannel(const std::string& name, unsigned int size)
    : impl_(new MessageChannelImpl(name, size))
{
}

MessageChannel::~MessageChannel() = default;

bool MessageChannel::send(unsigned int id, void* data, unsigned int size)
{
    {
        const std::lock_guard locked(impl_->mutex_);
        if (!impl_->queue_.push(id, data, size)) {
            return false;
        }
    }
    impl_->signal_.set();
    return true;
}

bool MessageChannel::recv(unsigned int id, void* buffer, unsigned int size)
{
    const std::lock_guard locked(impl_->mutex_);
    return impl_->queue_.take(id, buffer, size);
}

bool MessageChannel::recv(unsigned int id, std::vector<unsigned char>& data)
{
    const std::lock_guard locked(impl_->mutex_);
    return impl_->queue_.take(id, data);
}

bool MessageChannel::recvWait(unsigned int id, std::vector<unsigned char>& data, long timeout)
{
    const Deadline deadline(timeout);
    while (!impl_->takeAndRelay(id, data)) {
        const long sleep = deadline.sleep(RecheckMs);
        if (sleep == 0) {
            return false;
        }
        impl_->signal_.tryWait(sleep);
    }
    return true;
}

unsigned int MessageChannel::inQueue() const
{
    const std::lock_guard locked(impl_->mutex_);
    return impl_->queue_.count();
}

}  // namespace ipc
}  // namespace kq
