#include "IpcTest.h"

#include <kq/ipc/SystemMutex.h>
#include <kq/ipc/detail/NamedObject.h>

#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

using kq::ipc::SystemMutex;

namespace {

// Linux only: another user's file and a mutex made unrecoverable are set up by hand.

TEST(NamedObject, AnotherUsersFileIsRefusedWithoutWaitingForItsGuard)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root may give a file to another user";
    }
    const std::string name = kqtest::uniqueName("foreign");
    const std::string path = kqtest::objectFile(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
    ASSERT_LE(0, fd);
    struct flock guard {};
    guard.l_type = F_WRLCK;
    guard.l_whence = SEEK_SET;
    guard.l_start = 1;
    guard.l_len = 1;
    const bool prepared = ::fchown(fd, 4242, 4242) == 0 && ::fcntl(fd, F_OFD_SETLK, &guard) == 0;

    auto opening = std::async(std::launch::async, [&name] { SystemMutex mutex(name); });
    const bool ended = opening.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    ::unlink(path.c_str());
    ::close(fd);  // drops the guard, so a waiting constructor ends too
    ASSERT_TRUE(prepared);
    EXPECT_TRUE(ended) << "the constructor waited for another user's lock";
    try {
        opening.get();
        ADD_FAILURE() << "another user's object was opened";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("held by another user"))
            << e.what();
    }
}

// A named mutex's pthread mutex, mapped a second time to set up states by hand; null
// when it cannot be mapped.
std::shared_ptr<pthread_mutex_t> rawMutex(const std::string& name)
{
    using kq::ipc::detail::ObjectHeader;
    const int fd = ::open(kqtest::objectFile(name).c_str(), O_RDWR);
    if (fd < 0) {
        return nullptr;
    }
    void* view = ::mmap(nullptr, sizeof(ObjectHeader), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (view == MAP_FAILED) {
        return nullptr;
    }
    auto* header = static_cast<ObjectHeader*>(view);
    return {&header->mutex, [header](pthread_mutex_t*) { ::munmap(header, sizeof *header); }};
}

TEST(SystemMutex, AnUnrecoverableMutexIsNeverReportedAsLocked)
{
    const std::string name = kqtest::uniqueName("unrecoverable");
    SystemMutex mutex(name);
    const auto raw = rawMutex(name);
    ASSERT_TRUE(raw);
    // Its owner thread ends; the next owner hands it back without making it consistent.
    std::thread([&raw] { ::pthread_mutex_lock(raw.get()); }).join();
    const int taken = ::pthread_mutex_lock(raw.get());
    ::pthread_mutex_unlock(raw.get());
    ASSERT_EQ(EOWNERDEAD, taken);

    EXPECT_FALSE(mutex.tryLock(-1));
}

// Whether the process is blocked in a futex call (Linux).
bool sleepsOnAFutex(long pid)
{
    std::ifstream syscall("/proc/" + std::to_string(pid) + "/syscall");
    long number = -1;
    return (syscall >> number) && number == SYS_futex;
}

// A woken waiter killed before it takes the mutex leaves the lock word free with the
// other waiters asleep and nobody to wake them. Here the word is freed by hand while a
// child sleeps on it.
TEST(SystemMutex, AWaiterWhoseWakeUpWasLostStillTakesTheFreeMutex)
{
    const std::string name = kqtest::uniqueName("lost_wake");
    SystemMutex mutex(name);
    const auto mapped = rawMutex(name);
    ASSERT_TRUE(mapped);
    pthread_mutex_t& raw = *mapped;

    std::promise<void> held;
    std::promise<void> freed;
    std::thread holder([&] {
        ::pthread_mutex_lock(&raw);
        held.set_value();
        freed.get_future().wait();  // ends owning nothing: the word no longer names it
    });
    held.get_future().wait();
    auto waiter = kqtest::startChild("lock-mutex", name);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const unsigned int waiters = 0x80000000u;  // set by a waiter before it sleeps
    while (((__atomic_load_n(&raw.__data.__lock, __ATOMIC_ACQUIRE) & waiters) == 0 ||
            !sleepsOnAFutex(waiter->pid())) &&
           std::chrono::steady_clock::now() < limit) {
        std::this_thread::yield();
    }
    __atomic_store_n(&raw.__data.__lock, 0, __ATOMIC_RELEASE);
    freed.set_value();
    holder.join();

    kqtest::expectLine(*waiter, "locked");
}

}  // namespace
