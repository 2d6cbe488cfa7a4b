#include "Recorder.h"

#include "common/Console.h"
#include "common/Interrupt.h"
#include "detail/PtyFront.h"
#include "detail/Terminal.h"

#include <kq/StringUtils.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

namespace quorvex {

namespace {

std::runtime_error systemError(const std::string& call)
{
    return std::runtime_error(call + " failed: " + std::strerror(errno));
}

// SIGINT and SIGTERM are only noted, and held back except while waiting in ppoll,
// so that a request cannot slip in between looking for one and starting to wait.
class StopSignals {
public:
    StopSignals()
    {
        catchInterrupts();
        sigset_t stops;
        ::sigemptyset(&stops);
        ::sigaddset(&stops, SIGINT);
        ::sigaddset(&stops, SIGTERM);
        ::sigprocmask(SIG_BLOCK, &stops, &before_);
        waiting_ = before_;
        sigdelset(&waiting_, SIGINT);
        sigdelset(&waiting_, SIGTERM);
    }
    ~StopSignals() { ::sigprocmask(SIG_SETMASK, &before_, nullptr); }
    const sigset_t* whileWaiting() const { return &waiting_; }

private:
    sigset_t before_, waiting_;
};

// A real port, held exclusively as QuorvexLoader holds its own.
class RealPort {
public:
    explicit RealPort(const kq::io::SerialConfig& config) : name_(config.deviceName())
    {
        const std::string path = "/dev/" + name_;
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            throw std::runtime_error(
                kq::format("can't open '%s': %s", name_.c_str(), std::strerror(errno)));
        }
        try {
            if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
                throw std::runtime_error(kq::format("can't open '%s': in use", name_.c_str()));
            }
            ::ioctl(fd_, TIOCEXCL);
            detail::configureTerminal(fd_, config, false, false);
        } catch (...) {
            ::close(fd_);
            throw;
        }
    }
    ~RealPort()
    {
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }
    RealPort(const RealPort&) = delete;
    RealPort& operator=(const RealPort&) = delete;

    int fd() const { return fd_; }
    const std::string& name() const { return name_; }

private:
    const std::string name_;
    int fd_;
};

// A symbolic link to the program's terminal, for as long as the recording runs.
class Link {
public:
    Link(const std::string& target, const std::string& path) : path_(path)
    {
        if (!path_.empty() && ::symlink(target.c_str(), path_.c_str()) != 0) {
            throw std::runtime_error(
                kq::format("can't make the link '%s': %s", path_.c_str(), std::strerror(errno)));
        }
    }
    ~Link()
    {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

private:
    const std::string path_;
};

// Bytes on their way to one side: nothing more is read from the other side
// until they are all written, so memory stays the same however long the session.
// A read takes as much as a wakeup offers: fewer, larger chunks mean fewer
// calls and log lines for the same bytes.
struct Pending {
    static const std::size_t size = 8192;
    // One byte ahead of the bytes, where packet mode puts its status.
    unsigned char packet[1 + size];
    std::size_t at = 0, end = 0;
    unsigned char* bytes() { return packet + 1; }
    bool empty() const { return at == end; }
    void clear() { at = end = 0; }
};

kq::io::SerialConfig named(kq::io::SerialConfig config, const std::string& name)
{
    config.setDeviceName(name);
    return config;
}

bool operator==(const LineState& a, const LineState& b)
{
    return a.baudRate == b.baudRate && a.stopBits == b.stopBits && a.flow == b.flow;
}

// How long an opening may wait for the program that opened to show in /proc.
const std::chrono::milliseconds findHolder(100);

}  // namespace

namespace {

// One poll over both sides (and the program's opening and closing); every
// event is logged when it is taken.
class PosixRelay {
public:
    PosixRelay(const RecorderOptions& options, Recording& recording, RealPort& back,
               detail::PtyFront* pty, RealPort* frontPort)
        : options_(options),
          recording_(recording),
          back_(back),
          pty_(pty),
          frontPort_(frontPort),
          front_(pty ? pty->master() : frontPort->fd())
    {
        if (pty_) {
            line_ = pty_->lineState();
        }
    }

    void run(const sigset_t* waitMask)
    {
        while (!interruptRequested() && !finished()) {
            pollfd fds[3] = {{front_, events(toDevice_, toProgram_), 0},
                             {back_.fd(), events(toProgram_, toDevice_), 0},
                             {pty_ && pty_->wantsNotifications() ? pty_->watch() : -1, POLLIN, 0}};
            const timespec retry{0, 2000000};
            if (::ppoll(fds, 3, creating_ ? &retry : nullptr, waitMask) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                throw systemError("poll");
            }
            if (fds[2].revents & POLLIN) {
                pty_->readNotifications();
            }
            takeHostEvents();
            frontReady(fds[0].revents);
            backReady(fds[1].revents);
            takeHostEvents();
        }
    }

private:
    // Read a side while nothing of it waits; write it while something waits for it.
    static short events(const Pending& fromSide, const Pending& toSide)
    {
        return static_cast<short>((fromSide.empty() ? POLLIN : 0) | (toSide.empty() ? 0 : POLLOUT));
    }

    bool finished() const { return options_.once && recording_.closes() > 0 && openCount_ == 0; }
    bool programPresent() const { return !pty_ || openCount_ > 0; }

    // Opens and closes in their order; a close only after all the program did
    // before it, and nothing after an open before the open itself.
    void takeHostEvents()
    {
        while (pty_) {
            const detail::HostEvent event = pty_->peekEvent();
            if (creating_) {
                settleOpening(event != detail::HostEvent::None);
            }
            if (creating_ || event == detail::HostEvent::None ||
                (event == detail::HostEvent::Closed && pty_->pending())) {
                return;
            }
            pty_->takeEvent();
            if (event == detail::HostEvent::Opened) {
                ++openCount_;
                creating_ = true;
                createBy_ = std::chrono::steady_clock::now() + findHolder;
            } else {
                openCount_ = openCount_ > 0 ? openCount_ - 1 : 0;
                recording_.closed();
            }
        }
    }

    // The opening is logged with the program's name once /proc shows who
    // opened; the open call returns to the program a moment after it is seen.
    void settleOpening(bool now)
    {
        const std::string holder = detail::holderOf(pty_->path());
        if (holder.empty() && !now && std::chrono::steady_clock::now() < createBy_) {
            return;
        }
        creating_ = false;
        recording_.opened(holder);
    }

    void frontReady(short revents)
    {
        if (revents & POLLIN) {
            readFront();
        } else if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
            throw PortGone(frontPort_ ? frontPort_->name() : pty_->name());
        }
        if (revents & POLLOUT) {
            writeFront();
        }
    }

    void backReady(short revents)
    {
        if (revents & POLLIN) {
            readBack();
        } else if (revents & (POLLHUP | POLLERR | POLLNVAL)) {
            throw PortGone(back_.name());
        }
        if (revents & POLLOUT) {
            writeBack();
        }
    }

    void readFront()
    {
        if (creating_) {
            settleOpening(true);
        }
        if (pty_) {
            return readPacket();
        }
        const ssize_t n = ::read(front_, toDevice_.bytes(), Pending::size);
        if (n > 0) {
            takeWrite(static_cast<std::size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            throw PortGone(frontPort_->name());
        }
    }

    // In packet mode each read is the program's bytes after a TIOCPKT_DATA
    // byte, or one byte of status: its flushes and settings changes.
    void readPacket()
    {
        const ssize_t n = ::read(front_, toDevice_.packet, sizeof toDevice_.packet);
        if (n <= 0) {
            return;
        }
        if (toDevice_.packet[0] != TIOCPKT_DATA) {
            return takeStatus(toDevice_.packet[0]);
        }
        takeWrite(static_cast<std::size_t>(n - 1));
    }

    // The bytes go on before their line is written: the device never waits
    // on the log.
    void takeWrite(std::size_t size)
    {
        if (size == 0) {
            return;
        }
        toDevice_.at = 0;
        toDevice_.end = size;
        const bool sent = sendBack();
        recording_.wrote(toDevice_.bytes(), size);
        if (!sent) {
            throw PortGone(back_.name());
        }
    }

    void takeStatus(unsigned char status)
    {
        const bool receive = (status & TIOCPKT_FLUSHREAD) != 0;
        const bool transmit = (status & TIOCPKT_FLUSHWRITE) != 0;
        if (receive || transmit) {
            recording_.purged(receive, transmit);
            ::tcflush(back_.fd(), receive && transmit ? TCIOFLUSH : receive ? TCIFLUSH : TCOFLUSH);
            if (receive) {
                toProgram_.clear();
            }
        }
        if (status & TIOCPKT_IOCTL) {
            followSettings();
        }
    }

    // Only what the program can change on a pseudo-terminal is taken from it.
    void followSettings()
    {
        const LineState now = pty_->lineState();
        if (now == line_) {
            return;
        }
        recording_.changed(line_, now);
        line_ = now;
        kq::io::SerialConfig config = named(options_.line, back_.name());
        config.setBaudRate(now.baudRate);
        config.setStopBits(now.stopBits);
        config.setFlowControl(now.flow);
        detail::configureTerminal(back_.fd(), config, false, true);
    }

    void readBack()
    {
        const ssize_t n = ::read(back_.fd(), toProgram_.bytes(), Pending::size);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
            throw PortGone(back_.name());
        }
        // While no program has the port open, what the device sends reaches nobody.
        if (n < 0 || !programPresent()) {
            return;
        }
        toProgram_.at = 0;
        toProgram_.end = static_cast<std::size_t>(n);
        writeFront();
    }

    // The bytes are written before their line, as the program's are.
    void writeFront()
    {
        const ssize_t n =
            ::write(front_, toProgram_.bytes() + toProgram_.at, toProgram_.end - toProgram_.at);
        if (n > 0) {
            recording_.read(toProgram_.bytes() + toProgram_.at, static_cast<std::size_t>(n));
            toProgram_.at += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
            throw PortGone(frontPort_ ? frontPort_->name() : pty_->name());
        }
    }

    void writeBack()
    {
        if (!sendBack()) {
            throw PortGone(back_.name());
        }
    }

    // False when the port has gone.
    bool sendBack()
    {
        const ssize_t n =
            ::write(back_.fd(), toDevice_.bytes() + toDevice_.at, toDevice_.end - toDevice_.at);
        if (n > 0) {
            toDevice_.at += static_cast<std::size_t>(n);
        }
        return n >= 0 || errno == EAGAIN || errno == EINTR;
    }

    const RecorderOptions& options_;
    Recording& recording_;
    RealPort& back_;
    detail::PtyFront* const pty_;
    RealPort* const frontPort_;
    const int front_;
    Pending toDevice_, toProgram_;
    LineState line_;
    int openCount_ = 0;
    bool creating_ = false;
    std::chrono::steady_clock::time_point createBy_;
};

}  // namespace

void relay(const RecorderOptions& options, Recording& recording)
{
    const StopSignals signals;
    RealPort back(named(options.line, options.serial));
    std::unique_ptr<RealPort> frontPort;
    std::unique_ptr<detail::PtyFront> pty;
    if (!options.front.empty()) {
        frontPort = std::make_unique<RealPort>(named(options.line, options.front));
    } else {
        pty = std::make_unique<detail::PtyFront>(options.line);
    }
    const Link link(pty ? pty->path() : "", options.link);
    recording.start();
    // The settings the program starts from are read before it can change them.
    PosixRelay relay(options, recording, back, pty.get(), frontPort.get());
    print(kq::format("port: %s\n", pty ? pty->name().c_str() : options.front.c_str()));
    relay.run(signals.whileWaiting());
}

}  // namespace quorvex
