#include "support/PortPair.h"
#include "support/detail/PortSettingsReader.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <stdexcept>

namespace kqtest {

class PortPairImpl {
public:
    int master = -1;
    // Held open so that the pseudo-terminal lives on between one SerialIO and the next.
    int slave = -1;
    std::string slaveName;
};

PortPair::PortPair() : impl(new PortPairImpl) {
    char name[128];
    if (::openpty(&impl->master, &impl->slave, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    ::fcntl(impl->master, F_SETFD, FD_CLOEXEC);
    ::fcntl(impl->slave, F_SETFD, FD_CLOEXEC);
    impl->slaveName = std::string(name).substr(std::string("/dev/").size());
}

PortPair::~PortPair() {
    closeDevice();
    ::close(impl->slave);
}

std::string PortPair::portName() const { return impl->slaveName; }

void PortPair::deviceWrite(const std::vector<unsigned char>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(impl->master, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ASSERT_GT(n, 0) << "device write failed, errno " << errno;
        done += static_cast<std::size_t>(n);
    }
}

std::vector<unsigned char> PortPair::deviceRead(std::size_t count, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    std::vector<unsigned char> bytes;
    while (bytes.size() < count) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd entry{impl->master, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        unsigned char chunk[256];
        const ssize_t n = ::read(impl->master, chunk, std::min(sizeof chunk, count - bytes.size()));
        if (n <= 0) {
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    return bytes;
}

void PortPair::closeDevice() {
    if (impl->master >= 0) {
        ::close(impl->master);
        impl->master = -1;
    }
}

// The master side reads the slave's terminal settings.
PortSettings PortPair::settings() const { return detail::readPortSettings(impl->slave); }

std::string missingPortName() { return "ttyKQ-no-such-port"; }

}  // namespace kqtest
