// termios2 from <asm/termbits.h> gives any rate; it clashes with <termios.h>.
#include "support/detail/PortSettingsReader.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <stdexcept>

namespace kqtest {
namespace detail {

PortSettings readPortSettings(int fd) {
    struct termios2 t;
    if (::ioctl(fd, TCGETS2, &t) != 0) {
        throw std::runtime_error("TCGETS2 failed");
    }
    PortSettings s;
    // Windows has one rate for both directions; a split rate counts as none.
    s.baudRate = t.c_ispeed == t.c_ospeed ? t.c_ospeed : 0;
    s.twoStopBits = (t.c_cflag & CSTOPB) != 0;
    s.xonXoff = (t.c_iflag & IXON) && (t.c_iflag & IXOFF);
    s.rtsCts = (t.c_cflag & CRTSCTS) != 0;
    return s;
}

}  // namespace detail
}  // namespace kqtest
