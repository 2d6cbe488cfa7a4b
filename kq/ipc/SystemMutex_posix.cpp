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

// Whether a thread has ended, for the objects that noted it as an owner. The thread
// and each such object hold a reference; the last to let go frees it.
struct ThreadLife {
    std::atomic<bool> ended{false};
    std::atomic<long> references{1};
};

}  // namespace detail

namespace {

using detail::ThreadLife;

void retain(ThreadLife* life)
{
    life->references.fetch_add(1, std::memory_order_relaxed);
}

void release(ThreadLife* life)
{
    if (life != nullptr && life->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete life;
    }
}

// Read on every lock and unlock: a plain per-thread word, reached without a call.
thread_local ThreadLife* cachedLife __attribute__((tls_model("initial-exec"))) = nullptr;

// A thread that has finished destroying its locals: whatever it still locks, it
// holds nothing that outlives it. Never freed.
ThreadLife* endedLife()
{
    static ThreadLife* const life = [] {
        ThreadLife* created = new ThreadLife;
        created->ended = true;
        return created;
    }();
    return life;
}

// Marks the thread's end when its locals are destroyed.
struct ThreadLifeMark {
    ThreadLife* life = new ThreadLife;
    ~ThreadLifeMark()
    {
        life->ended.store(true, std::memory_order_release);
        cachedLife = endedLife();
        release(life);
    }
};

// The main thread never ends before the process does: static objects destroyed
// after its locals still own what it locked. Its record is never freed.
ThreadLife* firstLife()
{
    if (::syscall(SYS_gettid) == ::getpid()) {
        static ThreadLife* const mainLife = new ThreadLife;
        return mainLife;
    }
    thread_local ThreadLifeMark mark;
    return mark.life;
}

ThreadLife* thisThreadLife()
{
    if (cachedLife == nullptr) {
        cachedLife = firstLife();
    }
    return cachedLife;
}

int lockBefore(pthread_mutex_t& mutex, const timespec& deadline)
{
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer does not intercept pthread_mutex_clocklock: without these notes it
    // would take the matching unlock for a misuse.
    __tsan_mutex_pre_lock(&mutex, __tsan_mutex_try_lock);
#endif
    const int result = ::pthread_mutex_clocklock(&mutex, CLOCK_MONOTONIC, &deadline);
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
        ::pthread_mutex_consistent(&mutex);
        return true;
    }
    return result == 0;
}

// How long a contender watches the lock word before it sleeps in the kernel: the
// holders of these locks keep them for well under a microsecond, while a sleep and
// its wake-up cost several, and a sleeping receiver lets a sender fill the queue.
constexpr int SpinLimit = 200;

void spinWhileHeld(pthread_mutex_t& mutex)
{
    // Reads only, so that the holder keeps the cache line until it lets go.
    for (int i = 0; i < SpinLimit && __atomic_load_n(&mutex.__data.__lock, __ATOMIC_RELAXED) != 0;
         ++i) {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
}

// The longest a waiter sleeps before it looks at the mutex again. An unlock wakes one
// waiter; if that one is killed before it takes the mutex, the wake-up is lost, and
// later lockers that never sleep do not wake anyone. Without a limit the remaining
// waiters could sleep on beside a free mutex.
constexpr std::uint32_t WakeCheckMs = 50;

bool notAfter(const timespec& a, const timespec& b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec <= b.tv_nsec);
}

// Sleeps in slices of WakeCheckMs until the mutex is taken or the deadline passes.
int lockInSlices(pthread_mutex_t& mutex, const timespec& deadline, bool forever)
{
    for (;;) {
        const timespec check = detail::deadlineAfter(WakeCheckMs);
        const bool last = !forever && notAfter(deadline, check);
        const int result = lockBefore(mutex, last ? deadline : check);
        if (result != ETIMEDOUT || last) {
            return result;
        }
    }
}

// The pthread result of a lock with a timeout as Windows reads it.
int acquire(pthread_mutex_t& mutex, std::uint32_t ms)
{
    const int result = ::pthread_mutex_trylock(&mutex);
    if (result != EBUSY || ms == 0) {
        return result;
    }
    const bool forever = ms == detail::Infinite;
    const timespec deadline = detail::deadlineAfter(forever ? 0 : ms);
    spinWhileHeld(mutex);
    return lockInSlices(mutex, deadline, forever);
}

}  // namespace

SystemMutexImpl::SystemMutexImpl(const std::string& name)
    : object_(detail::localName(name), detail::ObjectKind::Mutex, 0)
{
}

SystemMutexImpl::~SystemMutexImpl()
{
    ThreadLife* owner = owner_.load(std::memory_order_acquire);
    if (held_.load(std::memory_order_relaxed) > 0 &&
        !owner->ended.load(std::memory_order_acquire)) {
        object_.keepMapped();
    }
    release(owner);
}

void SystemMutexImpl::lock()
{
    tryLock(static_cast<long>(detail::Infinite));
}

bool SystemMutexImpl::tryLock(long timeout)
{
    pthread_mutex_t& mutex = object_.header().mutex;
    if (!granted(mutex, acquire(mutex, static_cast<std::uint32_t>(timeout)))) {
        return false;
    }
    counted();
    return true;
}

// The count goes down while the mutex is still held, so that the next owner's count
// never meets ours. A thread that unlocks what it does not own (through an object
// whose count it left behind) gets the count back.
void SystemMutexImpl::unlock()
{
    const bool counting = owner_.load(std::memory_order_relaxed) == thisThreadLife() &&
                          held_.load(std::memory_order_relaxed) > 0;
    if (counting) {
        held_.store(held_.load(std::memory_order_relaxed) - 1, std::memory_order_relaxed);
    }
    if (::pthread_mutex_unlock(&object_.header().mutex) != 0 && counting) {
        held_.store(held_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    }
}

// Called by the thread just granted the mutex, the only one that changes the count
// then; counts left by an earlier owner are void, whether it released them through
// another object or ended without releasing.
void SystemMutexImpl::counted()
{
    ThreadLife* self = thisThreadLife();
    ThreadLife* owner = owner_.load(std::memory_order_relaxed);
    if (owner != self) {
        retain(self);
        owner_.store(self, std::memory_order_release);
        release(owner);
        held_.store(0, std::memory_order_relaxed);
    }
    held_.store(held_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

}  // namespace ipc
}  // namespace kq
