#include <kq/ipc/SystemEvent.h>
#include <kq/ipc/detail/SystemEventImpl.h>

namespace kq {
namespace ipc {

SystemEvent::SystemEvent(const std::string& name) : impl_(new SystemEventImpl(name)) {}

SystemEvent::~SystemEvent() = default;

void SystemEvent::set()
{
    impl_->set();
}

void SystemEvent::wait()
{
    impl_->wait();
}

bool SystemEvent::tryWait(long timeout)
{
    return impl_->tryWait(timeout);
}

}  // namespace ipc
}  // namespace kq
