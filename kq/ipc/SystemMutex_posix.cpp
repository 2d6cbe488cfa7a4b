#include <kq/ipc/detail/LocalName.h>
#include <kq/ipc/detail/MonotonicDeadline.h>
#include <kq/ipc/detail/SystemMutexImpl.h>

#include <errno.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>

#if defined(__SANITIZE_THREAD__)
#  include <sanitizer/tsan_interface.h>
#endif

namespace kq {
namespace ipc {

namespace detail {

// Whether a thread has ended, for the objects that noted it as an owner.
struct ThreadLife {
    std::atomic<bool> ended{false};
};

}  // namespace detail

namespace {

// Marks the thread's end when its locals are destroyed. The main thread never ends
// before the process does: static objects destroyed after its locals still own what it
// locked.
struct ThreadLifeMark {
    std::shared_ptr<detail::ThreadLife> life = std::make_shared<detail::ThreadLife>();
    ~ThreadLifeMark()
    {
        if (::syscall(SYS_gettid) != ::getpid()) {
            life->ended = true;
        }
    }
};

std::shared_ptr<const detail::ThreadLife> thisThreadLife()
{
    thread_local ThreadLifeMark mark;
    return mark.life;
}

int lockBefore(pthread_mutex_t& mutex, const timespec& deadline)
{
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer does not intercept pthread_mutex_clocklock: without these notes it
    // would take the matching unlock for a misuse.
    __tsan_mutex_pre_lock(&mutex, __tsan_mutex_try_lock);
#endif
    const int result = pthread_mutex_clocklock(&mutex, CLOCK_MONOTONIC, &deadline);
#if defined(__SANITIZE_THREAD__)
    const bool taken = result == 0 || result == EOWNERDEAD;
    __tsan_mutex_post_lock(&mutex,
                           __tsan_mutex_try_lock | (taken ? 0u : __tsan_mutex_try_lock_failed), 0);
#endif
    return result;
}

// A lock taken over from a dead owner is a lock granted, as WAIT_ABANDONED is on Windows.
bool granted(pthread_mutex_t& mutex, int result)
{
    if (result == EOWNERDEAD) {
        pthread_mutex_consistent(&mutex);
        return true;
    }
    return result == 0;
}

}  // namespace

SystemMutexImpl::SystemMutexImpl(const std::string& name)
    : object_(detail::localName(name), detail::ObjectKind::Mutex, 0)
{
}

SystemMutexImpl::~SystemMutexImpl()
{
    if (heldByLiveThread()) {
        object_.keepMapped();
    }
}

void SystemMutexImpl::lock()
{
    pthread_mutex_t& mutex = object_.header().mutex;
    if (granted(mutex, pthread_mutex_lock(&mutex))) {
        counted();
    }
}

bool SystemMutexImpl::tryLock(long timeout)
{
    pthread_mutex_t& mutex = object_.header().mutex;
    const std::uint32_t ms = static_cast<std::uint32_t>(timeout);
    int result = 0;
    if (ms == detail::Infinite) {
        result = pthread_mutex_lock(&mutex);
    } else if (ms == 0) {
        result = pthread_mutex_trylock(&mutex);
    } else {
        result = lockBefore(mutex, detail::deadlineAfter(ms));
    }
    if (!granted(mutex, result)) {
        return false;
    }
    counted();
    return true;
}

void SystemMutexImpl::unlock()
{
    if (pthread_mutex_unlock(&object_.header().mutex) == 0) {
        released();
    }
}

// Called by the thread just granted the mutex; counts left by an earlier owner are void,
// whether it released them through another object or ended without releasing.
void SystemMutexImpl::counted()
{
    std::shared_ptr<const detail::ThreadLife> self = thisThreadLife();
    std::lock_guard<std::mutex> guard(ownerLock_);
    if (owner_ != self) {
        owner_ = std::move(self);
        held_ = 0;
    }
    ++held_;
}

void SystemMutexImpl::released()
{
    std::lock_guard<std::mutex> guard(ownerLock_);
    if (held_ > 0 && owner_ == thisThreadLife()) {
        --held_;
    }
}

bool SystemMutexImpl::heldByLiveThread()
{
    std::lock_guard<std::mutex> guard(ownerLock_);
    return held_ > 0 && !owner_->ended;
}

}  // namespace ipc
}  // namespace kq
