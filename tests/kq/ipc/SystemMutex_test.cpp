#include "IpcTest.h"

#include <kq/ipc/SharedMemory.h>
#include <kq/ipc/SystemEvent.h>
#include <kq/ipc/SystemMutex.h>

#include <gtest/gtest.h>

#include <future>
#include <stdexcept>

#if !defined(_WIN32)
#  include <unistd.h>
#endif

using kq::ipc::SharedMemory;
using kq::ipc::SystemEvent;
using kq::ipc::SystemMutex;

namespace {

// tryLock(0) from another thread, through a handle of its own.
bool freeForAnotherThread(const std::string& name)
{
    return std::async(std::launch::async,
                      [&name] {
                          SystemMutex other(name);
                          const bool taken = other.tryLock(0);
                          if (taken) {
                              other.unlock();
                          }
                          return taken;
                      })
        .get();
}

TEST(SystemMutex, TheOwnerLocksRecursivelyAndReleasesAsOften)
{
    const std::string name = kqtest::uniqueName("mutex");
    SystemMutex mutex(name);
    EXPECT_TRUE(mutex.tryLock(0));
    mutex.lock();
    EXPECT_FALSE(freeForAnotherThread(name));
    mutex.unlock();
    EXPECT_FALSE(freeForAnotherThread(name));
    mutex.unlock();
    EXPECT_TRUE(freeForAnotherThread(name));
}

TEST(SystemMutex, ATimedLockGivesUpOnAHolderAndIsGrantedWhenItLetsGo)
{
    const std::string name = kqtest::uniqueName("timed");
    SystemMutex mutex(name);
    std::promise<void> held;
    std::promise<void> release;
    auto holder = std::async(std::launch::async, [&] {
        SystemMutex own(name);
        own.lock();
        held.set_value();
        release.get_future().wait();
        own.unlock();
    });
    held.get_future().wait();
    EXPECT_FALSE(mutex.tryLock(20));
    release.set_value();
    EXPECT_TRUE(mutex.tryLock(30000));
    mutex.unlock();
    holder.get();
}

TEST(SystemMutex, AMutexWhoseOwnerWasKilledGoesToTheNextWaiter)
{
    const std::string name = kqtest::uniqueName("abandoned");
    SystemMutex mutex(name);
    auto child = kqtest::startChild("lock-mutex", name);
    kqtest::expectLine(*child, "locked");
    EXPECT_FALSE(mutex.tryLock(0));
    child.reset();  // killed while it owns the mutex

    ASSERT_TRUE(mutex.tryLock(30000));
    mutex.unlock();
    EXPECT_TRUE(freeForAnotherThread(name));
}

TEST(SystemMutex, ClosingAnObjectAfterItsOwnerThreadLeavesTheNameUsable)
{
    const std::string name = kqtest::uniqueName("abandoned");
    auto child = kqtest::startChild("abandon-mutex", name);
    kqtest::expectLine(*child, "taken over");
    ASSERT_NO_FATAL_FAILURE(kqtest::expectLine(*child, "closed"));
#if !defined(_WIN32)
    // No object of the child still holds the name, so the last one removed it.
    EXPECT_NE(0, ::access(kqtest::objectFile(name).c_str(), F_OK));
#endif
    kqtest::expectLine(*child, "reopened");
    EXPECT_EQ(0, child->wait(std::chrono::seconds(30))) << child->err();
    SystemMutex{name + "_kept"};  // removes what the child's kept mapping left behind
}

TEST(SystemMutex, ANameHeldByAnotherKindOfObjectIsRefused)
{
    const std::string memoryName = kqtest::uniqueName("memory");
    const std::string mutexName = kqtest::uniqueName("mutex");
    SharedMemory memory(memoryName, 64);
    SystemMutex mutex(mutexName);
    EXPECT_THROW(SystemMutex{memoryName}, std::runtime_error);
    EXPECT_THROW(SystemEvent{mutexName}, std::runtime_error);
    EXPECT_THROW(SharedMemory(mutexName, 64), std::runtime_error);
}

}  // namespace
