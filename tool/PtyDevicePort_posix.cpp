#include "DevicePort.h"

#include "Console.h"

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace quorvex {

namespace {

std::runtime_error systemError(const std::string& call)
{
    return std::runtime_error(call + " failed: " + std::strerror(errno));
}

class PtyDevicePort : public DevicePort {
public:
    PtyDevicePort()
    {
        char path[128];
        if (::openpty(&master_, &slave_, path, nullptr, nullptr) != 0)
            throw systemError("openpty");
        termios raw{};
        ::tcgetattr(slave_, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave_, TCSANOW, &raw);
        // The loader resolves "-s=pts/N" to /dev/pts/N.
        terminal_ = std::string(path).substr(std::strlen("/dev/"));
    }

    ~PtyDevicePort() override
    {
        if (slave_ >= 0)
            ::close(slave_);
        ::close(master_);
    }

    std::string name() const override { return terminal_; }

    std::size_t read(unsigned char* buffer, std::size_t size,
                     std::chrono::milliseconds timeout) override
    {
        pollfd fd{master_, POLLIN, 0};
        const int ready = ::poll(&fd, 1, static_cast<int>(timeout.count()));
        if (ready < 0 && errno != EINTR)
            throw systemError("poll");
        if (ready <= 0)
            return 0;
        const ssize_t n = ::read(master_, buffer, size);
        if (n < 0)
            throw systemError("read");
        return static_cast<std::size_t>(n);
    }

    void write(const std::vector<unsigned char>& data) override
    {
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(master_, data.data() + done, data.size() - done);
            if (n < 0 && errno != EINTR)
                throw systemError("write");
            done += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
    }

    // Closing the master hangs the terminal up, which discards what the host has
    // not read yet. Once this end's own descriptor is closed, the master reports
    // a hang-up when the host closes the terminal too. Late host bytes are dropped.
    void awaitHostClose(std::chrono::milliseconds timeout) override
    {
        ::close(slave_);
        slave_ = -1;
        const Deadline deadline(timeout);
        for (;;) {
            pollfd fd{master_, POLLIN, 0};
            if (deadline.passed() || ::poll(&fd, 1, static_cast<int>(deadline.left().count())) <= 0)
                return;
            unsigned char scratch[256];
            if ((fd.revents & POLLHUP) || ::read(master_, scratch, sizeof scratch) <= 0)
                return;
        }
    }

private:
    int master_ = -1;
    // Held open until the end: while no program has the terminal open, reading
    // the master fails with EIO instead of waiting for the host.
    int slave_ = -1;
    std::string terminal_;
};

}  // namespace

std::unique_ptr<DevicePort> openPseudoTerminal()
{
    return std::make_unique<PtyDevicePort>();
}

}  // namespace quorvex
