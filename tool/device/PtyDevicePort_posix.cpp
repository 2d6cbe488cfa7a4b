#include "DevicePort.h"

#include "common/Console.h"
#include "common/Deadline.h"
#include "common/PacketPty.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace quorvex {

namespace {

std::runtime_error systemError(const std::string& call)
{
    return std::runtime_error(call + " failed: " + std::strerror(errno));
}

int pollMs(const Deadline& deadline)
{
    return static_cast<int>(deadline.left().count());
}

// Flushes of the host's input closer together than this are one purge: some
// hosts flush it twice in one purge. Only those flushes count: a flush of the
// host's output discards no answer, and Wine makes one just before the other.
const std::chrono::milliseconds purgeSpread(20);

// The host's opening and closing of the terminal are seen through inotify on
// its device node: the master alone cannot tell while this end holds the
// terminal open too, and it must (see slave_). The master is in packet mode,
// where each read is one packet: a 0 byte before the host's data, or a byte of
// state flags that tells, among others, that the host flushed its queues.
class PtyDevicePort : public DevicePort {
public:
    PtyDevicePort()
    {
        const PacketPty pty = openPacketPty([](int slave, const std::string&) {
            termios raw{};
            ::tcgetattr(slave, &raw);
            ::cfmakeraw(&raw);
            ::tcsetattr(slave, TCSANOW, &raw);
        });
        master_ = pty.master;
        slave_ = pty.slave;
        watch_ = pty.watch;
        terminal_ = pty.name;
    }

    ~PtyDevicePort() override
    {
        ::close(watch_);
        if (slave_ >= 0) {
            ::close(slave_);
        }
        ::close(master_);
    }

    std::string name() const override { return terminal_; }

    bool awaitHostOpen(std::chrono::milliseconds timeout) override
    {
        const Deadline deadline(timeout);
        try {
            while (!opened_ && wait(0, deadline) != 0) {
            }
        } catch (const HostGone&) {
            // Opened and closed already: what follows finds out what it missed.
        }
        return opened_;
    }

    std::size_t read(unsigned char* buffer, std::size_t size,
                     std::chrono::milliseconds timeout) override
    {
        const Deadline deadline(timeout);
        for (;;) {
            while (held_.empty() && takePacket()) {
            }
            if (!held_.empty()) {
                const std::size_t n = std::min(size, held_.size());
                std::copy(held_.begin(), held_.begin() + static_cast<long>(n), buffer);
                held_.erase(held_.begin(), held_.begin() + static_cast<long>(n));
                return n;
            }
            if (wait(POLLIN, deadline) == 0) {
                return 0;
            }
        }
    }

    bool seesFlushes() const override { return true; }

    long flushes() override
    {
        while (takePacket()) {
        }
        return flushes_;
    }

    void awaitFlush(long seen, std::chrono::milliseconds timeout) override
    {
        const Deadline deadline(timeout);
        while (flushes() <= seen && wait(POLLIN, deadline) != 0) {
        }
    }

    std::size_t write(const std::vector<unsigned char>& data,
                      std::chrono::milliseconds timeout) override
    {
        const Deadline deadline(timeout);
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(master_, data.data() + done, data.size() - done);
            wroteSinceFlush_ = wroteSinceFlush_ || n > 0;
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                throw systemError("write");
            } else if (wait(POLLOUT, deadline) == 0) {
                break;
            }
        }
        return done;
    }

    bool hostActed() override
    {
        int unread = 0;
        ::ioctl(slave_, FIONREAD, &unread);
        const bool readSome = unread < unread_;
        unread_ = unread;
        return readSome;
    }

    // Late host bytes are dropped.
    void awaitHostClose(std::chrono::milliseconds timeout) override
    {
        const Deadline deadline(timeout);
        try {
            unsigned char scratch[256];
            while (read(scratch, sizeof scratch, deadline.left()) > 0) {
            }
        } catch (const HostGone&) {
        }
    }

private:
    // Waits for the event on the master (0: only for the host's open or close)
    // until the deadline; returns the event, or 0 when the deadline passed. Throws
    // HostGone once the host has closed the terminal again.
    short wait(short event, const Deadline& deadline)
    {
        for (;;) {
            pollfd fds[2] = {{watch_, POLLIN, 0}, {master_, event, 0}};
            const int ready = ::poll(fds, event ? 2 : 1, pollMs(deadline));
            if (ready < 0 && errno != EINTR) {
                throw systemError("poll");
            }
            if (fds[0].revents & POLLIN) {
                takeHostEvents();
            }
            if (opened_ && openCount_ == 0) {
                throw HostGone("closed " + terminal_ + " before the end");
            }
            if (event == 0 && opened_) {
                return POLLIN;
            }
            if (fds[1].revents & event) {
                return event;
            }
            if (deadline.passed()) {
                return 0;
            }
        }
    }

    // One packet from the master: its data kept, a flush of the host's input
    // counted. False when none was waiting.
    bool takePacket()
    {
        unsigned char packet[4097];
        const ssize_t n = ::read(master_, packet, sizeof packet);
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            throw systemError("read");
        }
        if (n <= 0) {
            return false;
        }
        if (packet[0] == TIOCPKT_DATA) {
            held_.insert(held_.end(), packet + 1, packet + n);
        } else if (packet[0] & TIOCPKT_FLUSHREAD) {
            countFlush();
        }
        return true;
    }

    void countFlush()
    {
        const auto now = std::chrono::steady_clock::now();
        if (flushes_ == 0 || wroteSinceFlush_ || now - lastFlush_ > purgeSpread) {
            ++flushes_;
        }
        lastFlush_ = now;
        wroteSinceFlush_ = false;
    }

    void takeHostEvents()
    {
        alignas(inotify_event) char events[4096];
        ssize_t n;
        while ((n = ::read(watch_, events, sizeof events)) > 0) {
            for (char* at = events; at < events + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->mask & IN_OPEN) {
                    ++openCount_;
                    opened_ = true;
                } else if (event->mask & IN_CLOSE) {
                    openCount_ = std::max(openCount_ - 1, 0);
                }
                at += sizeof(inotify_event) + event->len;
            }
        }
    }

    int master_ = -1;
    // Held open until the end: while no program has the terminal open, reading
    // the master fails with EIO instead of waiting for the host. It also shows
    // what the host has not read yet.
    int slave_ = -1;
    int watch_ = -1;
    std::string terminal_;
    bool opened_ = false;
    int openCount_ = 0;
    int unread_ = 0;
    std::vector<unsigned char> held_;
    long flushes_ = 0;
    std::chrono::steady_clock::time_point lastFlush_;
    // A flush after an answer is a purge of its own, however quick the host.
    bool wroteSinceFlush_ = false;
};

}  // namespace

std::unique_ptr<DevicePort> openPseudoTerminal()
{
    return std::make_unique<PtyDevicePort>();
}

}  // namespace quorvex
