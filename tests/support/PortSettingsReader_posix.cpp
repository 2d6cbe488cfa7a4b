// termios2 from <asm/termbits.h> gives any rate; it clashes with <termios.h>.
#include "support/detail/PortSettingsReader.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <stdexcept>

namespace kqtest {
namespace detail {

PortSettings readPortSettings(int fd)
{
    struct termios2 t;
    if (::ioctl(fd, TCGETS2, &t) != 0) {
        throw std::runtime_error("TCGETS2 failed");
    }
    // Windows has one rate for both directions; a split rate counts as none.
    return {t.c_ispeed == t.c_ospeed ? t.c_ospeed : 0, (t.c_cflag & CSTOPB) != 0,
            (t.c_iflag & IXON) && (t.c_iflag & IXOFF), (t.c_cflag & CRTSCTS) != 0};
}

}  // namespace detail
}  // namespace kqtest
