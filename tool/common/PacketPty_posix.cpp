#include "PacketPty.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
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

}  // namespace

PacketPty openPacketPty(const std::function<void(int slave, const std::string& name)>& configure)
{
    PacketPty pty;
    char path[128];
    if (::openpty(&pty.master, &pty.slave, path, nullptr, nullptr) != 0) {
        throw systemError("openpty");
    }
    pty.path = path;
    pty.name = pty.path.substr(std::strlen("/dev/"));
    ::fcntl(pty.master, F_SETFD, FD_CLOEXEC);
    ::fcntl(pty.slave, F_SETFD, FD_CLOEXEC);
    ::fcntl(pty.master, F_SETFL, ::fcntl(pty.master, F_GETFL) | O_NONBLOCK);
    configure(pty.slave, pty.name);
    int on = 1;
    if (::ioctl(pty.master, TIOCPKT, &on) != 0) {
        throw systemError("::ioctl(TIOCPKT)");
    }
    pty.watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (pty.watch < 0 || ::inotify_add_watch(pty.watch, path, IN_OPEN | IN_CLOSE) < 0) {
        throw systemError("inotify");
    }
    return pty;
}

}  // namespace quorvex
