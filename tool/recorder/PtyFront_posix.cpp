#include "detail/PtyFront.h"

#include "detail/Terminal.h"

#include "common/PacketPty.h"

#include <dirent.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace quorvex {
namespace detail {

namespace {

bool holds(const std::string& fdFolder, const std::string& path)
{
    DIR* folder = ::opendir(fdFolder.c_str());
    if (!folder) {
        return false;
    }
    bool found = false;
    char target[256];
    while (const dirent* entry = ::readdir(folder)) {
        const std::string link = fdFolder + "/" + entry->d_name;
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
        if (n > 0 && path.compare(0, std::string::npos, target, static_cast<size_t>(n)) == 0) {
            found = true;
            break;
        }
    }
    ::closedir(folder);
    return found;
}

}  // namespace

std::string holderOf(const std::string& path)
{
    DIR* proc = ::opendir("/proc");
    if (!proc) {
        return {};
    }
    const long self = static_cast<long>(::getpid());
    std::string name;
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == self) {
            continue;
        }
        const std::string folder = std::string("/proc/") + entry->d_name;
        if (holds(folder + "/fd", path)) {
            std::ifstream comm(folder + "/comm");
            std::getline(comm, name);
            if (!name.empty()) {
                break;
            }
        }
    }
    ::closedir(proc);
    return name;
}

PtyFront::PtyFront(const kq::io::SerialConfig& initial)
{
    const PacketPty pty = openPacketPty([&initial](int slave, const std::string& name) {
        kq::io::SerialConfig settings = initial;
        settings.setDeviceName(name);
        configureTerminal(slave, settings, true, false);
    });
    master_ = pty.master;
    slave_ = pty.slave;
    watch_ = pty.watch;
    path_ = pty.path;
    name_ = pty.name;
}

PtyFront::~PtyFront()
{
    if (watch_ >= 0) {
        ::close(watch_);
    }
    ::close(slave_);
    ::close(master_);
}

void PtyFront::readNotifications()
{
    if (!wantsNotifications()) {
        return;
    }
    const ssize_t n = ::read(watch_, events_, sizeof events_);
    eventsAt_ = 0;
    eventsEnd_ = n > 0 ? n : 0;
}

HostEvent PtyFront::peekEvent()
{
    while (eventsAt_ < eventsEnd_) {
        inotify_event event;
        std::memcpy(&event, events_ + eventsAt_, sizeof event);
        if (event.mask & IN_OPEN) {
            return HostEvent::Opened;
        }
        if (event.mask & IN_CLOSE) {
            return HostEvent::Closed;
        }
        takeEvent();
    }
    return HostEvent::None;
}

void PtyFront::takeEvent()
{
    inotify_event event;
    std::memcpy(&event, events_ + eventsAt_, sizeof event);
    eventsAt_ += static_cast<long>(sizeof event + event.len);
}

LineState PtyFront::lineState()
{
    bool reporting = true;
    const LineState state = readLineState(master_, reporting);
    if (!reporting) {
        keepReporting(master_);
    }
    return state;
}

bool PtyFront::pending() const
{
    pollfd entry{master_, POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN);
}

}  // namespace detail
}  // namespace quorvex
