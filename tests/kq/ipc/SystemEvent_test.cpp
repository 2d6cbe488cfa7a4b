#include "IpcTest.h"

#include <kq/ipc/SystemEvent.h>

#include <gtest/gtest.h>

#include <chrono>

using kq::ipc::SystemEvent;

namespace {

// The waits happen in children, so a fault fails the test instead of hanging it.
TEST(SystemEvent, ASetWithoutWaiterReleasesTheNextWait)
{
    const std::string name = kqtest::uniqueName("event");
    SystemEvent event(name);
    event.set();
    auto waiter = kqtest::startChild("wait-event", name);
    kqtest::expectLine(*waiter, "waiting");
    kqtest::expectLine(*waiter, "woke");
}

// One set lets one timed wait through; the next waits out its whole time.
TEST(SystemEvent, ATimedWaitTakesOneSetOrWaitsItsTimeOut)
{
    SystemEvent event(kqtest::uniqueName("event"));
    EXPECT_FALSE(event.tryWait(0));
    event.set();
    event.set();
    EXPECT_TRUE(event.tryWait(0));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(event.tryWait(60));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
    event.set();
    EXPECT_TRUE(event.tryWait(-1));
}

TEST(SystemEvent, ASetWakesExactlyOneOfTwoWaitingChildren)
{
    const std::string name = kqtest::uniqueName("event");
    SystemEvent event(name);
    auto first = kqtest::startChild("wait-event", name);
    auto second = kqtest::startChild("wait-event", name);
    kqtest::expectLine(*first, "waiting");
    kqtest::expectLine(*second, "waiting");

    event.set();
    // Whichever child woke, the other must still be waiting: a second wake-up
    // would come at once, so a short look for it suffices.
    kqtest::Process* woken = nullptr;
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (woken == nullptr && std::chrono::steady_clock::now() < deadline) {
        for (auto* child : {first.get(), second.get()}) {
            if (woken == nullptr &&
                kqtest::readReport(*child, line, std::chrono::milliseconds(20))) {
                woken = child;
            }
        }
    }
    ASSERT_NE(nullptr, woken);
    EXPECT_EQ("woke", line);
    kqtest::Process* sleeper = woken == first.get() ? second.get() : first.get();
    EXPECT_FALSE(kqtest::readReport(*sleeper, line, std::chrono::milliseconds(300))) << line;

    event.set();
    EXPECT_TRUE(kqtest::readReport(*sleeper, line, std::chrono::seconds(30)));
    EXPECT_EQ(0, first->wait(std::chrono::seconds(30)));
    EXPECT_EQ(0, second->wait(std::chrono::seconds(30)));
}

TEST(SystemEvent, AnotherProcessMaySetTheEvent)
{
    const std::string name = kqtest::uniqueName("event");
    SystemEvent event(name);
    auto waiter = kqtest::startChild("wait-event", name);
    kqtest::expectLine(*waiter, "waiting");
    auto setter = kqtest::startChild("set-event", name);
    ASSERT_EQ(0, setter->wait(std::chrono::seconds(30))) << setter->err();
    kqtest::expectLine(*waiter, "woke");
}

}  // namespace
