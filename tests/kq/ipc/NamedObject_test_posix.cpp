#include "IpcTest.h"

#include <kq/ipc/SystemMutex.h>
#include <kq/ipc/detail/NamedObject.h>

#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <future>
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

TEST(SystemMutex, AnUnrecoverableMutexIsNeverReportedAsLocked)
{
    const std::string name = kqtest::uniqueName("unrecoverable");
    SystemMutex mutex(name);
    const int fd = ::open(kqtest::objectFile(name).c_str(), O_RDWR);
    ASSERT_LE(0, fd);
    const std::size_t size = sizeof(kq::ipc::detail::ObjectHeader);
    void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    ASSERT_NE(MAP_FAILED, view);
    // Its owner thread ends; the next owner hands it back without making it consistent.
    pthread_mutex_t& raw = static_cast<kq::ipc::detail::ObjectHeader*>(view)->mutex;
    std::thread([&raw] { ::pthread_mutex_lock(&raw); }).join();
    const int taken = ::pthread_mutex_lock(&raw);
    ::pthread_mutex_unlock(&raw);
    ::munmap(view, size);
    ASSERT_EQ(EOWNERDEAD, taken);

    EXPECT_FALSE(mutex.tryLock(-1));
}

}  // namespace
