#pragma once

#include <functional>
#include <string>

namespace quorvex {

// A pseudo-terminal for a program to open, as the device and the recorder offer
// one. Its master end is non-blocking and in packet mode: each read is one
// packet, a 0 byte before the program's data or a byte of state flags (among
// them the program's flushes). Its device node is watched (inotify) for the
// program's opening and closing, which the master alone cannot tell while the
// slave end is held open too.
struct PacketPty {
    int master = -1;
    int slave = -1;
    int watch = -1;
    std::string path;  // "/dev/pts/N"
    std::string name;  // "pts/N", as the loader's -s= takes it
};

// Opens one (Linux); configure sets up the slave end before packet mode starts,
// so that its settings are not reported as the program's. The caller closes the
// three descriptors. Throws std::runtime_error naming the call that failed.
PacketPty openPacketPty(const std::function<void(int slave, const std::string& name)>& configure);

}  // namespace quorvex
