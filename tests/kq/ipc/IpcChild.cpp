#include "ChannelStress.h"
#include "IpcTest.h"

#include <kq/ipc/MessageChannel.h>
#include <kq/ipc/SharedMemory.h>
#include <kq/ipc/SystemEvent.h>
#include <kq/ipc/SystemMutex.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <thread>
#include <vector>

// The child side of the cross-process tests: each role runs in a process of its
// own and reports on standard output, one line per step.

namespace {

using namespace kq::ipc;

void say(const std::string& line)
{
    std::cout << kqtest::ReportMarker << line << std::endl;
}

// Until the parent kills this process.
[[noreturn]] void park()
{
    for (;;) {
        std::this_thread::sleep_for(std::chrono::hours(1));
    }
}

std::atomic<std::uint32_t>& wordIn(void* memory)
{
    return *static_cast<std::atomic<std::uint32_t>*>(memory);
}

// Polls a word the parent sets; gives up after a minute.
void awaitWord(std::atomic<std::uint32_t>& word, std::uint32_t value)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (word.load() != value && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    ASSERT_EQ(value, word.load());
}

void holdMemory(const std::string& name)
{
    SharedMemory memory(name, 64);
    kqtest::setWordAt(memory, 0, 0xC0FFEE);
    say("created=" + std::to_string(memory.isCreated()));
    park();
}

// Opens the name when the parent raises the gate to 1, counts itself in the
// block, and stays until the gate goes to 2.
void raceMemory(const std::string& name)
{
    SharedMemory gate(name + "_gate", 4);
    say("ready");
    awaitWord(wordIn(gate.begin()), 1);
    SharedMemory memory(name, 64);
    wordIn(memory.begin()).fetch_add(1);
    say("created=" + std::to_string(memory.isCreated()));
    awaitWord(wordIn(gate.begin()), 2);
}

void lockMutex(const std::string& name)
{
    SystemMutex mutex(name);
    mutex.lock();
    say("locked");
    park();
}

// A thread locks through one object and ends without unlocking; another takes the
// mutex over and releases it; then both objects close. Last, an object is destroyed by
// the thread that holds the mutex through it, and the name is opened again.
void abandonMutex(const std::string& name)
{
    {
        SystemMutex other(name);
        auto owner = std::make_unique<SystemMutex>(name);
        std::thread([&owner] { owner->lock(); }).join();
        std::thread([&name] {
            SystemMutex taker(name);
            if (taker.tryLock(3000)) {
                say("taken over");
                taker.unlock();
            }
        }).join();
        owner.reset();
    }
    say("closed");
    const std::string kept = name + "_kept";
    SystemMutex other(kept);
    SystemMutex(kept).lock();
    SystemMutex{kept};
    say("reopened");
}

void waitEvent(const std::string& name)
{
    SystemEvent event(name);
    say("waiting");
    event.wait();
    say("woke");
}

void setEvent(const std::string& name)
{
    SystemEvent(name).set();
}

void sendMessages(const std::string& name)
{
    MessageChannel channel(name, 8192);
    say("queued=" + std::to_string(channel.inQueue()));
    say(kqtest::sendWorkedMessages(channel) ? "sent" : "refused");
}

// Waits for a message of id 9 and reports its bytes.
void waitMessage(const std::string& name)
{
    MessageChannel channel(name, 8192);
    say("waiting");
    std::vector<unsigned char> data;
    const bool taken = channel.recvWait(9, data, -1);
    say(taken && data == std::vector<unsigned char>{4, 5} ? "took 9" : "wrong message");
}

const std::map<std::string, std::function<void(const std::string&)>> Roles = {
    {"hold-memory", holdMemory},     {"race-memory", raceMemory},   {"lock-mutex", lockMutex},
    {"abandon-mutex", abandonMutex}, {"wait-event", waitEvent},     {"set-event", setEvent},
    {"send-messages", sendMessages}, {"wait-message", waitMessage},
};

const std::map<std::string, std::function<void(const std::string&, const std::string&)>>
    StressRoles = {{"stress-send", kqtest::stressSend}, {"stress-receive", kqtest::stressReceive}};

TEST(IpcChild, Run)
{
    const char* role = std::getenv("KQ_IPC_ROLE");
    if (role == nullptr) {
        GTEST_SKIP() << "child mode of the cross-process tests only";
    }
    const auto stress = StressRoles.find(role);
    if (stress != StressRoles.end()) {
        stress->second(std::getenv("KQ_IPC_NAME"), std::getenv("KQ_IPC_ARG"));
        // A peer of the kill test ends without the exit-time checks: a leak check of a
        // process that lives among kills tells nothing.
        std::cout.flush();
        std::fflush(nullptr);
        std::_Exit(0);
    } else {
        Roles.at(role)(std::getenv("KQ_IPC_NAME"));
    }
}

}  // namespace
