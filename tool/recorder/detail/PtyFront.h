#pragma once

#include "recorder/Recording.h"

#include <kq/io/SerialConfig.h>

#include <string>

namespace quorvex {
namespace detail {

// What the program did to the pseudo-terminal, as the master learns it.
enum class HostEvent { None, Opened, Closed };

// A pseudo-terminal for the program, in packet mode: the master reads the
// program's writes, its flushes and (with EXTPROC on the slave) its settings
// changes. Opening and closing are seen through inotify on the slave's node.
class PtyFront {
public:
    // The slave starts raw, with the configuration's line settings.
    explicit PtyFront(const kq::io::SerialConfig& initial);
    ~PtyFront();
    PtyFront(const PtyFront&) = delete;
    PtyFront& operator=(const PtyFront&) = delete;

    // "pts/N", and its path "/dev/pts/N".
    const std::string& name() const { return name_; }
    const std::string& path() const { return path_; }
    int master() const { return master_; }
    int watch() const { return watch_; }

    // True while every notification read so far is taken: only then is the
    // watch worth waiting on, and read() reads it.
    bool wantsNotifications() const { return eventsAt_ == eventsEnd_; }
    // Reads the waiting notifications of openings and closings.
    void readNotifications();
    // The next open or close in the order they happened, left waiting until
    // takeEvent(); None when none has been read.
    HostEvent peekEvent();
    void takeEvent();
    // The slave's settings; reporting is turned on again where the program turned it off.
    LineState lineState();
    // True while the master has not read all the program did: bytes, a flush, a change.
    bool pending() const;

private:
    int master_ = -1;
    // Held open: while no program has the terminal open, the master would read EIO.
    int slave_ = -1;
    int watch_ = -1;
    std::string name_, path_;
    alignas(8) char events_[4096];
    long eventsAt_ = 0, eventsEnd_ = 0;
};

// The name /proc gives the first other process that has the file open; empty
// when there is none.
std::string holderOf(const std::string& path);

}  // namespace detail
}  // namespace quorvex
