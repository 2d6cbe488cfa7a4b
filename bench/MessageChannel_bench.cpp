#include <kq/ipc/MessageChannel.h>

#include <benchmark/benchmark.h>
#include <boost/interprocess/ipc/message_queue.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

// Messages per second through one MessageChannel, side by side with a
// boost::interprocess::message_queue of the same depth, in one process and
// between two (the receiver is a forked child).

namespace {

namespace bip = boost::interprocess;

const unsigned int Depth = 256;
const unsigned int DataId = 1;
const unsigned int StopId = 2;

std::string uniqueName(const char* what)
{
    return std::string("kqbench_") + std::to_string(::getpid()) + "_" + what;
}

unsigned int messageSize(const benchmark::State& state)
{
    return static_cast<unsigned int>(state.range(0));
}

unsigned int blockSize(unsigned int messageSize)
{
    return kq::ipc::MessageChannel::DataOffset + Depth * messageSize;
}

void countMessages(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

// The channel never waits: a sender facing a full queue and a receiver facing an
// empty one poll, giving up the processor in between.
void sendPolling(kq::ipc::MessageChannel& channel, unsigned int id,
                 std::vector<unsigned char>& message)
{
    while (!channel.send(id, message.data(), static_cast<unsigned int>(message.size()))) {
        std::this_thread::yield();
    }
}

// Runs receive in a child process; returns its PID.
template <typename Receive>
pid_t forkReceiver(Receive receive)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        receive();
        ::_exit(0);
    }
    return pid;
}

void BM_MessageChannel_OneProcess(benchmark::State& state)
{
    const unsigned int size = messageSize(state);
    kq::ipc::MessageChannel channel(uniqueName("one"), blockSize(size));
    std::vector<unsigned char> message(size, 0x5A);
    for (auto _ : state) {
        channel.send(DataId, message.data(), size);
        benchmark::DoNotOptimize(channel.recv(DataId, message.data(), size));
    }
    countMessages(state);
}

void BM_BoostMessageQueue_OneProcess(benchmark::State& state)
{
    const unsigned int size = messageSize(state);
    const std::string name = uniqueName("boost_one");
    bip::message_queue::remove(name.c_str());
    bip::message_queue queue(bip::create_only, name.c_str(), Depth, size);
    std::vector<unsigned char> message(size, 0x5A);
    bip::message_queue::size_type received = 0;
    unsigned int priority = 0;
    for (auto _ : state) {
        queue.send(message.data(), size, 0);
        queue.receive(message.data(), size, received, priority);
    }
    bip::message_queue::remove(name.c_str());
    countMessages(state);
}

void BM_MessageChannel_TwoProcesses(benchmark::State& state)
{
    const unsigned int size = messageSize(state);
    const std::string name = uniqueName("two");
    kq::ipc::MessageChannel channel(name, blockSize(size));
    const pid_t receiver = forkReceiver([&name, size] {
        kq::ipc::MessageChannel own(name, blockSize(size));
        std::vector<unsigned char> buffer;
        for (;;) {
            if (own.recv(0, buffer)) {
                if (buffer.size() != size) {
                    return;  // the stop message is one byte longer
                }
            } else {
                std::this_thread::yield();
            }
        }
    });
    std::vector<unsigned char> message(size, 0x5A);
    for (auto _ : state) {
        sendPolling(channel, DataId, message);
    }
    std::vector<unsigned char> stop(size + 1);
    sendPolling(channel, StopId, stop);
    ::waitpid(receiver, nullptr, 0);
    countMessages(state);
}

void BM_BoostMessageQueue_TwoProcesses(benchmark::State& state)
{
    const unsigned int size = messageSize(state);
    const std::string name = uniqueName("boost_two");
    bip::message_queue::remove(name.c_str());
    bip::message_queue queue(bip::create_only, name.c_str(), Depth, size);
    const pid_t receiver = forkReceiver([&name, size] {
        bip::message_queue own(bip::open_only, name.c_str());
        std::vector<unsigned char> buffer(size);
        bip::message_queue::size_type received = 0;
        unsigned int priority = 0;
        do {
            own.receive(buffer.data(), size, received, priority);
        } while (priority == 0);
    });
    std::vector<unsigned char> message(size, 0x5A);
    for (auto _ : state) {
        queue.send(message.data(), size, 0);
    }
    queue.send(message.data(), size, 1);  // stop
    ::waitpid(receiver, nullptr, 0);
    bip::message_queue::remove(name.c_str());
    countMessages(state);
}

BENCHMARK(BM_MessageChannel_OneProcess)->Arg(16)->Arg(1024);
BENCHMARK(BM_BoostMessageQueue_OneProcess)->Arg(16)->Arg(1024);
BENCHMARK(BM_MessageChannel_TwoProcesses)->Arg(16)->Arg(1024)->UseRealTime();
BENCHMARK(BM_BoostMessageQueue_TwoProcesses)->Arg(16)->Arg(1024)->UseRealTime();

}  // namespace
