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
// between two (the receiver is a forked child). Rows BM_channel_<one|two>_<size>__kq
// and __message_queue, for scripts/bench.

namespace {

namespace bip = boost::interprocess;

const unsigned int Depth = 256;
const unsigned int DataId = 1;
const unsigned int StopId = 2;

std::string uniqueName(const char* what)
{
    return std::string("kqbench_") + std::to_string(::getpid()) + "_" + what;
}

unsigned int blockSize(unsigned int messageSize)
{
    return kq::ipc::MessageChannel::DataOffset + Depth * messageSize;
}

void countMessages(benchmark::State& state, unsigned int size)
{
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * size);
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

void BM_MessageChannel_OneProcess(benchmark::State& state, unsigned int size)
{
    kq::ipc::MessageChannel channel(uniqueName("one"), blockSize(size));
    std::vector<unsigned char> message(size, 0x5A);
    for (auto _ : state) {
        channel.send(DataId, message.data(), size);
        benchmark::DoNotOptimize(channel.recv(DataId, message.data(), size));
    }
    countMessages(state, size);
}

void BM_BoostMessageQueue_OneProcess(benchmark::State& state, unsigned int size)
{
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
    countMessages(state, size);
}

void BM_MessageChannel_TwoProcesses(benchmark::State& state, unsigned int size)
{
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
    countMessages(state, size);
}

void BM_BoostMessageQueue_TwoProcesses(benchmark::State& state, unsigned int size)
{
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
    countMessages(state, size);
}

template <typename Run>
void addRow(const std::string& name, Run run, unsigned int size, bool realTime)
{
    benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(name.c_str(), run, size);
    if (realTime) {
        b->UseRealTime();
    }
}

const int Registered = [] {
    for (const unsigned int size : {16u, 1024u}) {
        const std::string bytes = std::to_string(size);
        addRow("BM_channel_one_" + bytes + "__kq", BM_MessageChannel_OneProcess, size, false);
        addRow("BM_channel_one_" + bytes + "__message_queue", BM_BoostMessageQueue_OneProcess, size,
               false);
        addRow("BM_channel_two_" + bytes + "__kq", BM_MessageChannel_TwoProcesses, size, true);
        addRow("BM_channel_two_" + bytes + "__message_queue", BM_BoostMessageQueue_TwoProcesses,
               size, true);
    }
    return 0;
}();

}  // namespace
