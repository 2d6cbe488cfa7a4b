#include <kq/ipc/MessageChannel.h>

#include <kq/ipc/SharedMemory.h>
#include <kq/ipc/SystemMutex.h>
#include <kq/ipc/detail/MessageQueue.h>

#include <kq/StringUtils.h>

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

}  // namespace

class MessageChannelImpl {
public:
    MessageChannelImpl(const std::string& name, unsigned int size)
        : memory_(name + "_data", checkedSize(name, size)),
          mutex_(name + "_lock"),
          queue_(name, static_cast<unsigned char*>(memory_.begin()), size)
    {
        // A created block is zero-filled, so its queue is empty already. Emptying it
        // here could drop what another process sent since the block was created.
    }

    SharedMemory memory_;
    SystemMutex mutex_;
    detail::MessageQueue queue_;
};

MessageChannel::MessageChannel(const std::string& name, unsigned int size)
    : impl_(new MessageChannelImpl(name, size))
{
}

MessageChannel::~MessageChannel() = default;

bool MessageChannel::send(unsigned int id, void* data, unsigned int size)
{
    if (impl_->queue_.seenFull()) {
        return false;
    }
    const std::lock_guard locked(impl_->mutex_);
    return impl_->queue_.push(id, data, size);
}

bool MessageChannel::recv(unsigned int id, void* buffer, unsigned int size)
{
    if (impl_->queue_.seenEmpty()) {
        return false;
    }
    const std::lock_guard locked(impl_->mutex_);
    return impl_->queue_.take(id, buffer, size);
}

bool MessageChannel::recv(unsigned int id, std::vector<unsigned char>& data)
{
    if (impl_->queue_.seenEmpty()) {
        return false;
    }
    const std::lock_guard locked(impl_->mutex_);
    return impl_->queue_.take(id, data);
}

unsigned int MessageChannel::inQueue() const
{
    const std::lock_guard locked(impl_->mutex_);
    return impl_->queue_.count();
}

}  // namespace ipc
}  // namespace kq
