#include <kq/ipc/detail/LocalName.h>
#include <kq/ipc/detail/SystemEventImpl.h>

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>

namespace kq {
namespace ipc {

namespace {

// A futex shared between processes: no FUTEX_PRIVATE_FLAG.
void futex(std::atomic<std::uint32_t>& word, int operation, int value)
{
    ::syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), operation, value, nullptr,
              nullptr, 0);
}

}  // namespace

SystemEventImpl::SystemEventImpl(const std::string& name)
    : object_(detail::localName(name), detail::ObjectKind::Event, 0)
{
}

SystemEventImpl::~SystemEventImpl() = default;

// Every sleeper wakes and one of them takes the signal; waking only one could
// strand the others if that one were killed before it took it.
void SystemEventImpl::set()
{
    std::atomic<std::uint32_t>& word = object_.header().event;
    word.store(1);
    futex(word, FUTEX_WAKE, INT_MAX);
}

void SystemEventImpl::wait()
{
    std::atomic<std::uint32_t>& word = object_.header().event;
    for (;;) {
        std::uint32_t set = 1;
        if (word.compare_exchange_strong(set, 0)) {
            return;
        }
        // Returns at once when the word is no longer 0.
        futex(word, FUTEX_WAIT, 0);
    }
}

}  // namespace ipc
}  // namespace kq
