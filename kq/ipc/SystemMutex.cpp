#include <kq/ipc/SystemMutex.h>
#include <kq/ipc/detail/SystemMutexImpl.h>

namespace kq {
namespace ipc {

SystemMutex::SystemMutex(const std::string& name) : impl_(new SystemMutexImpl(name)) {}

SystemMutex::~SystemMutex() = default;

void SystemMutex::lock()
{
    impl_->lock();
}

bool SystemMutex::tryLock(long timeout)
{
    return impl_->tryLock(timeout);
}

void SystemMutex::unlock()
{
    impl_->unlock();
}

}  // namespace ipc
}  // namespace kq
