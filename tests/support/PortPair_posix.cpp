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

struct PortPairImpl {
    int master = -1;
    // Held open so that the pseudo-terminal lives on between one SerialIO and the next.
    int slave = -1;
    std::string slaveName;
};

PortPair::PortPair(std::size_t) : impl_(new PortPairImpl)
{
    char name[128];
    if (::openpty(&impl_->master, &impl_->slave, name, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    ::fcntl(impl_->master, F_SETFD, FD_CLOEXEC);
    ::fcntl(impl_->slave, F_SETFD, FD_CLOEXEC);
    impl_->slaveName = std::string(name).substr(std::string("/dev/").size());
}

PortPair::~PortPair()
{
    closeDevice();
    ::close(impl_->slave);
}

std::string PortPair::portName() const
{
    return impl_->slaveName;
}

void PortPair::deviceWrite(const std::vector<unsigned char>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(impl_->master, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        ASSERT_GT(n, 0) << "device write failed, errno " << errno;
        done += static_cast<std::size_t>(n);
    }
}

std::size_t PortPair::deviceReadSome(unsigned char* buffer, std::size_t size,
                                     std::chrono::milliseconds timeout)
{
    pollfd entry{impl_->master, POLLIN, 0};
    if (::poll(&entry, 1, static_cast<int>(timeout.count())) <= 0) {
        return 0;
    }
    const ssize_t n = ::read(impl_->master, buffer, size);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

void PortPair::closeDevice()
{
    if (impl_->master >= 0) {
        ::close(impl_->master);
        impl_->master = -1;
    }
}

// The master side reads the slave's terminal settings.
PortSettings PortPair::settings() const
{
    return detail::readPortSettings(impl_->slave);
}

std::string missingPortName()
{
    return "ttyKQ-no-such-port";
}

}  // namespace kqtest
