#include <kq/ipc/detail/LocalName.h>
#include <kq/ipc/detail/SharedMemoryImpl.h>

namespace kq {
namespace ipc {

SharedMemoryImpl::SharedMemoryImpl(const std::string& name, unsigned int size)
    : size_(size), object_(detail::localName(name), detail::ObjectKind::Memory, size)
{
}

SharedMemoryImpl::~SharedMemoryImpl() = default;

void* SharedMemoryImpl::begin() const
{
    return object_.payload();
}

bool SharedMemoryImpl::isCreated() const
{
    return object_.created();
}

}  // namespace ipc
}  // namespace kq
