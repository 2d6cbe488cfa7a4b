// termios2 gives any baud rate; <asm/termbits.h> clashes with <termios.h>, so
// this file must not include the latter.
#include "detail/Terminal.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace quorvex {
namespace detail {

namespace {

void applyDataSize(termios2& t, kq::io::DataSize size)
{
    const tcflag_t bits[] = {CS5, CS6, CS7, CS8};
    if (size >= kq::io::DataBits5 && size <= kq::io::DataBits8) {
        t.c_cflag = (t.c_cflag & ~CSIZE) | bits[size - kq::io::DataBits5];
    }
}

void applyParity(termios2& t, kq::io::Parity parity)
{
    if (parity == kq::io::ParityEven) {
        t.c_cflag = (t.c_cflag | PARENB) & ~(PARODD | CMSPAR);
    } else if (parity == kq::io::ParityOdd) {
        t.c_cflag = (t.c_cflag | PARENB | PARODD) & ~CMSPAR;
    } else if (parity == kq::io::ParityNone) {
        t.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    }
}

void applyStopBits(termios2& t, kq::io::StopBits stopBits)
{
    if (stopBits == kq::io::StopBitsOne) {
        t.c_cflag &= ~CSTOPB;
    } else if (stopBits != kq::io::StopBitsUnchanged) {
        t.c_cflag |= CSTOPB;
    }
}

void applyFlow(termios2& t, kq::io::FlowControl flow)
{
    if (flow == kq::io::FlowUnchanged) {
        return;
    }
    t.c_iflag &= ~(IXON | IXOFF);
    t.c_cflag &= ~CRTSCTS;
    if (flow == kq::io::FlowSoftware) {
        t.c_iflag |= IXON | IXOFF;
    } else if (flow == kq::io::FlowHardware) {
        t.c_cflag |= CRTSCTS;
    }
}

void applyBaudRate(termios2& t, unsigned int rate)
{
    if (rate == 0) {
        return;
    }
    t.c_cflag = (t.c_cflag & ~(CBAUD | (CBAUD << IBSHIFT))) | BOTHER;
    t.c_ispeed = rate;
    t.c_ospeed = rate;
}

void makeRaw(termios2& t)
{
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN | EXTPROC);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

}  // namespace

LineState readLineState(int fd, bool& extproc)
{
    termios2 t;
    if (::ioctl(fd, TCGETS2, &t) != 0) {
        throw std::runtime_error(std::string("can't read the line settings: ") +
                                 std::strerror(errno));
    }
    LineState state;
    state.baudRate = t.c_ospeed;
    state.stopBits = (t.c_cflag & CSTOPB) ? kq::io::StopBitsTwo : kq::io::StopBitsOne;
    state.flow = kq::io::FlowOff;
    if (t.c_cflag & CRTSCTS) {
        state.flow = kq::io::FlowHardware;
    } else if ((t.c_iflag & IXON) && (t.c_iflag & IXOFF)) {
        state.flow = kq::io::FlowSoftware;
    }
    extproc = (t.c_lflag & EXTPROC) != 0;
    return state;
}

void keepReporting(int masterFd)
{
    termios2 t;
    if (::ioctl(masterFd, TCGETS2, &t) == 0 && !(t.c_lflag & EXTPROC)) {
        t.c_lflag |= EXTPROC;
        ::ioctl(masterFd, TCSETS2, &t);
    }
}

void configureTerminal(int fd, const kq::io::SerialConfig& config, bool extproc, bool drain)
{
    termios2 t;
    if (::ioctl(fd, TCGETS2, &t) != 0) {
        throw std::runtime_error("can't configure '" + config.deviceName() +
                                 "': " + std::strerror(errno));
    }
    makeRaw(t);
    applyDataSize(t, config.dataSize());
    applyParity(t, config.parity());
    applyStopBits(t, config.stopBits());
    applyFlow(t, config.flowControl());
    applyBaudRate(t, config.baudRate());
    if (extproc) {
        t.c_lflag |= EXTPROC;
    }
    ::ioctl(fd, drain ? TCSETSW2 : TCSETS2, &t);
}

}  // namespace detail
}  // namespace quorvex
