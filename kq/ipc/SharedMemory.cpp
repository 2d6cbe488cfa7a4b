#include <kq/ipc/SharedMemory.h>
#include <kq/ipc/detail/SharedMemoryImpl.h>

namespace kq {
namespace ipc {

SharedMemory::SharedMemory(const std::string& name, unsigned int size)
    : impl_(new SharedMemoryImpl(name, size))
{
}

SharedMemory::~SharedMemory() = default;

void* SharedMemory::begin() const
{
    return impl_->begin();
}

void* SharedMemory::end() const
{
    return static_cast<unsigned char*>(impl_->begin()) + impl_->size();
}

bool SharedMemory::isCreated() const
{
    return impl_->isCreated();
}

}  // namespace ipc
}  // namespace kq
