// QuorvexRecorder beside socat, each relaying between a program's pseudo-terminal
// and a device's: bytes per second one way (BM_relay_bytes), and the time of a
// 1-byte exchange there and back (BM_relay_exchange). The recorder also writes
// its log line for every chunk.
#include "support/Programs.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

int openRaw(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        throw std::runtime_error("can't open " + path);
    }
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
    return fd;
}

// The device's pseudo-terminal, a relay between it and the program's, and the
// program's end opened.
class Relay {
public:
    explicit Relay(bool recorder)
    {
        char name[128];
        int slave = -1;
        if (::openpty(&device_, &slave, name, nullptr, nullptr) != 0) {
            throw std::runtime_error("openpty failed");
        }
        ::close(slave);
        ::fcntl(device_, F_SETFL, O_NONBLOCK);
        const std::string devicePort = std::string(name).substr(5);
        const std::string tag = std::to_string(::getpid());
        if (recorder) {
            start({kqbench::binDir() + "QuorvexRecorder", "-s=" + devicePort,
                   "-o=/tmp/recorder-bench-" + tag + ".log", "--force"});
            program_ = openRaw("/dev/" + reportedPort());
        } else {
            const std::string link = "/tmp/recorder-bench-socat-" + tag;
            start({"/usr/bin/socat", "PTY,raw,echo=0,link=" + link,
                   "/dev/" + devicePort + ",raw,echo=0"});
            while (::access(link.c_str(), F_OK) != 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            program_ = openRaw(link);
        }
    }

    ~Relay()
    {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        ::close(program_);
        ::close(device_);
    }

    int program() const { return program_; }
    int device() const { return device_; }

private:
    void start(const std::vector<std::string>& args)
    {
        int out[2];
        if (::pipe(out) != 0) {
            throw std::runtime_error("pipe failed");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<char*> argv;
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            throw std::runtime_error("can't start " + args[0]);
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        output_ = out[0];
    }

    std::string reportedPort()
    {
        std::string line;
        char c;
        while (::read(output_, &c, 1) == 1 && c != '\n') {
            line += c;
        }
        if (line.rfind("port: ", 0) != 0) {
            throw std::runtime_error("the recorder reported no port: " + line);
        }
        return line.substr(6);
    }

    int device_ = -1, program_ = -1, output_ = -1;
    pid_t pid_ = -1;
};

// Writes all of from's bytes while reading them at the far end, on one poll.
void pass(int from, int to, std::size_t total)
{
    static const std::vector<unsigned char> block(4096, 0x5A);
    std::vector<unsigned char> sink(65536);
    std::size_t written = 0, read = 0;
    while (read < total) {
        pollfd fds[2] = {{from, static_cast<short>(written < total ? POLLOUT : 0), 0},
                         {to, POLLIN, 0}};
        ::poll(fds, 2, 5000);
        if (fds[0].revents & POLLOUT) {
            const ssize_t n = ::write(from, block.data(), std::min(block.size(), total - written));
            written += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        if (fds[1].revents & POLLIN) {
            const ssize_t n = ::read(to, sink.data(), sink.size());
            read += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        if (fds[0].revents == 0 && fds[1].revents == 0) {
            throw std::runtime_error("the relay stopped");
        }
    }
}

void relayBytes(benchmark::State& state, bool recorder)
{
    Relay relay(recorder);
    const std::size_t total = 1 << 20;
    for (auto _ : state) {
        pass(relay.program(), relay.device(), total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * total));
}

void relayExchange(benchmark::State& state, bool recorder)
{
    Relay relay(recorder);
    for (auto _ : state) {
        pass(relay.program(), relay.device(), 1);
        pass(relay.device(), relay.program(), 1);
    }
}

void BM_relay_bytes__kq(benchmark::State& state)
{
    relayBytes(state, true);
}
void BM_relay_bytes__socat(benchmark::State& state)
{
    relayBytes(state, false);
}
void BM_relay_exchange__kq(benchmark::State& state)
{
    relayExchange(state, true);
}
void BM_relay_exchange__socat(benchmark::State& state)
{
    relayExchange(state, false);
}

BENCHMARK(BM_relay_bytes__kq)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_relay_bytes__socat)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_relay_exchange__kq)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_relay_exchange__socat)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace
