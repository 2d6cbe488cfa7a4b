#include <kq/io/SerialIO.h>
#include <kq/logger/ConsoleLogChannel.h>
#include <kq/logger/Logger.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// A pseudo-terminal whose device side is drained by a thread of its own.
class DrainedPty {
public:
    DrainedPty()
    {
        char name[128];
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        termios raw;
        ::tcgetattr(slave_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave_, TCSANOW, &raw);
        portName_ = std::string(name).substr(std::string("/dev/").size());
        drainer_ = std::thread([this] { drain(); });
    }
    ~DrainedPty()
    {
        stop_ = true;
        drainer_.join();
        ::close(slave_);
        ::close(master_);
    }

    int slave() const { return slave_; }
    const std::string& portName() const { return portName_; }

private:
    void drain()
    {
        char buffer[65536];
        while (!stop_) {
            pollfd entry{master_, POLLIN, 0};
            if (::poll(&entry, 1, 50) > 0) {
                ::read(master_, buffer, sizeof buffer);
            }
        }
    }

    int master_ = -1;
    int slave_ = -1;
    std::string portName_;
    std::atomic<bool> stop_{false};
    std::thread drainer_;
};

// The line settings the loader uses; debug logging off, as in a normal run.
void sendWithSerialIO(benchmark::State& state, std::size_t blockSize)
{
    const DrainedPty pty;
    kq::io::SerialConfig config = kq::io::SerialConfig::fromString(
        "device=" + pty.portName() + ";baud=115200;data=8;parity=none;stop=1;flow=off");
    kq::logger::ILogger& logger =
        kq::logger::add("bench.serial", std::make_shared<kq::logger::ConsoleLogChannel>());
    logger.setLevel(0);
    kq::io::SerialIO port(config, logger);
    const std::vector<unsigned char> block(blockSize, 0x5A);
    for (auto _ : state) {
        port.send(block.data(), static_cast<unsigned int>(block.size()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * blockSize));
}

void sendWithWrite(benchmark::State& state, std::size_t blockSize)
{
    const DrainedPty pty;
    const std::vector<unsigned char> block(blockSize, 0x5A);
    for (auto _ : state) {
        std::size_t done = 0;
        while (done < block.size()) {
            const ssize_t n = ::write(pty.slave(), block.data() + done, block.size() - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * blockSize));
}

void BM_serial_send_4k__kq(benchmark::State& state)
{
    sendWithSerialIO(state, 4096);
}
BENCHMARK(BM_serial_send_4k__kq)->UseRealTime();

void BM_serial_send_4k__write(benchmark::State& state)
{
    sendWithWrite(state, 4096);
}
BENCHMARK(BM_serial_send_4k__write)->UseRealTime();

void BM_serial_send_16__kq(benchmark::State& state)
{
    sendWithSerialIO(state, 16);
}
BENCHMARK(BM_serial_send_16__kq)->UseRealTime();

void BM_serial_send_16__write(benchmark::State& state)
{
    sendWithWrite(state, 16);
}
BENCHMARK(BM_serial_send_16__write)->UseRealTime();

}  // namespace
