#include <kq/detail/SystemError.h>
#include <kq/io/detail/SerialIOImpl.h>
#include <kq/io/detail/Termios.h>
#include <kq/io/detail/Termios2.h>

#include <kq/StringUtils.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace kq {
namespace io {

namespace {

using Clock = std::chrono::steady_clock;
using Deadline = std::optional<Clock::time_point>;

constexpr unsigned int MaxDword = 0xFFFFFFFFu;

// Far enough to mean "never" without overflowing the clock's arithmetic.
constexpr std::uint64_t LongestWaitMs = std::uint64_t(1) << 40;

Deadline after(Clock::time_point start, std::uint64_t ms)
{
    return start + std::chrono::milliseconds(std::min(ms, LongestWaitMs));
}

Deadline earliest(const Deadline& a, const Deadline& b)
{
    if (!a || !b) {
        return a ? a : b;
    }
    return std::min(*a, *b);
}

// Total time-out of one driver call: multiplier per byte plus constant; both 0 means none.
Deadline totalDeadline(unsigned int constant, unsigned int multiplier, unsigned int size)
{
    if (constant == 0 && multiplier == 0) {
        return std::nullopt;
    }
    return after(Clock::now(), std::uint64_t(multiplier) * size + constant);
}

enum class Wait { Ready, TimedOut, Gone };

// Waits for the event without spinning: a hang-up or error that comes without
// the event means the device has gone.
Wait waitFor(int fd, short event, const Deadline& deadline)
{
    for (;;) {
        int timeoutMs = -1;
        if (deadline) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            if (left.count() <= 0) {
                return Wait::TimedOut;
            }
            timeoutMs = static_cast<int>(std::min<long long>(left.count(), INT_MAX));
        }
        pollfd entry{fd, event, 0};
        const int ready = ::poll(&entry, 1, timeoutMs);
        if (ready < 0 && errno != EINTR) {
            return Wait::Gone;
        }
        if (ready > 0) {
            return (entry.revents & event) ? Wait::Ready : Wait::Gone;
        }
    }
}

// Nothing signals that the driver's output queue has drained, so it is looked at again
// after this pause; the queue empties at the line's pace.
constexpr int DrainCheckMs = 5;

// write() returns once the driver has queued the bytes, a send only once they have left:
// a purge right after a send must not discard what the caller was told was sent.
void awaitSent(int fd, const Deadline& deadline)
{
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
        if (deadline && Clock::now() >= *deadline) {
            return;
        }
        ::poll(nullptr, 0, DrainCheckMs);
    }
}

// Unix98 pseudo-terminal slaves, majors 136 to 143, have no transmitter: the output
// queue a real UART drains is always reported empty, so there is nothing to wait for.
bool hasOutputQueue(int fd)
{
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode)) {
        return true;
    }
    const unsigned int deviceMajor = major(status.st_rdev);
    return deviceMajor < 136 || deviceMajor > 143;
}

// How one read waits, after the COMMTIMEOUTS rules.
struct ReadRules {
    bool returnAtOnce = false;   // interval MAXDWORD, totals 0: only what is waiting
    bool firstByteEnds = false;  // interval and multiplier MAXDWORD: the first bytes end it
    Deadline total;
    std::optional<std::chrono::milliseconds> interval;
};

ReadRules readRules(const SerialTimeouts& t, unsigned int size)
{
    ReadRules rules;
    if (t.readIntervalTimeout == MaxDword && t.readTotalTimeoutMultiplier == 0 &&
        t.readTotalTimeoutConstant == 0) {
        rules.returnAtOnce = true;
    } else if (t.readIntervalTimeout == MaxDword && t.readTotalTimeoutMultiplier == MaxDword &&
               t.readTotalTimeoutConstant != 0 && t.readTotalTimeoutConstant != MaxDword) {
        rules.firstByteEnds = true;
        rules.total = after(Clock::now(), t.readTotalTimeoutConstant);
    } else {
        rules.total = totalDeadline(t.readTotalTimeoutConstant, t.readTotalTimeoutMultiplier, size);
        if (t.readIntervalTimeout != 0) {
            rules.interval = std::chrono::milliseconds(t.readIntervalTimeout);
        }
    }
    return rules;
}

}  // namespace

// Opened with O_NONBLOCK: a modem-control line cannot block the open. Reads keep it, so
// that every wait goes through poll() with the time-outs' deadlines.
unsigned long SerialIOImpl::openHandle()
{
    const std::string path = "/dev/" + config_.deviceName();
    device_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (device_ < 0) {
        return static_cast<unsigned long>(errno);
    }
    if (::flock(device_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(device_);
        device_ = -1;
        return static_cast<unsigned long>(error);
    }
    ::ioctl(device_, TIOCEXCL);
    hasOutputQueue_ = hasOutputQueue(device_);
    statusFlags_ = ::fcntl(device_, F_GETFL);
    return 0;
}

void SerialIOImpl::closeHandle()
{
    ::ioctl(device_, TIOCNXCL);
    ::close(device_);
}

// The mode is changed only when it differs: a run of sends or of reads costs no call.
void SerialIOImpl::setBlocking(bool blocking)
{
    const int flags = blocking ? statusFlags_ & ~O_NONBLOCK : statusFlags_ | O_NONBLOCK;
    if (flags != statusFlags_ && ::fcntl(device_, F_SETFL, flags) == 0) {
        statusFlags_ = flags;
    }
}

void SerialIOImpl::configure()
{
    termios settings;
    if (::tcgetattr(device_, &settings) != 0) {
        kq::detail::throwDeviceCallFailed("tcgetattr", config_.deviceName(),
                                          static_cast<long>(errno));
    }
    detail::makeRaw(settings);
    const bool speedApplied = detail::applyLineSettings(settings, config_);
    ::tcsetattr(device_, TCSANOW, &settings);
    if (!speedApplied) {
        detail::setCustomBaudRate(device_, config_.baudRate());
    }
    timeouts_ = config_.commTimeouts();
}

unsigned int SerialIOImpl::writeStep(const unsigned char* data, unsigned int size)
{
    const Deadline deadline = totalDeadline(timeouts_.writeTotalTimeoutConstant,
                                            timeouts_.writeTotalTimeoutMultiplier, size);
    // Without a time-out the kernel may wait for room itself: one call where the
    // non-blocking mode needs write, EAGAIN, poll and write again.
    setBlocking(!deadline);
    unsigned int written = 0;
    while (written < size) {
        const ssize_t n = ::write(device_, data + written, size - written);
        if (n > 0) {
            written += static_cast<unsigned int>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            if (waitFor(device_, POLLOUT, deadline) != Wait::Ready) {
                break;
            }
        } else {
            break;
        }
    }
    if (written > 0 && hasOutputQueue_) {
        awaitSent(device_, deadline);
    }
    return written;
}

unsigned int SerialIOImpl::readStep(unsigned char* buffer, unsigned int size)
{
    setBlocking(false);
    const ReadRules rules = readRules(timeouts_, size);
    Deadline intervalEnd;
    unsigned int got = 0;
    while (got < size) {
        const ssize_t n = ::read(device_, buffer + got, size - got);
        if (n > 0) {
            got += static_cast<unsigned int>(n);
            if (rules.firstByteEnds) {
                break;
            }
            if (rules.interval) {
                intervalEnd = Clock::now() + *rules.interval;
            }
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN && !rules.returnAtOnce) {
            if (waitFor(device_, POLLIN, earliest(rules.total, intervalEnd)) != Wait::Ready) {
                break;
            }
        } else {
            break;  // nothing more to wait for, or the device has gone (0, EIO)
        }
    }
    return got;
}

unsigned int SerialIOImpl::available()
{
    int waiting = 0;
    if (::ioctl(device_, FIONREAD, &waiting) != 0 || waiting < 0) {
        return 0;
    }
    return static_cast<unsigned int>(waiting);
}

// A pseudo-terminal hands what was written on to its other end at once: flushing its
// output only races that hand-over and loses bytes that a send reported as sent.
void SerialIOImpl::purge()
{
    ::tcflush(device_, hasOutputQueue_ ? TCIOFLUSH : TCIFLUSH);
}

bool SerialIOImpl::deviceLost()
{
    pollfd entry{device_, POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace io
}  // namespace kq
