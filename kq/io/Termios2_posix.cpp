// termios2 lives in <asm/termbits.h>, which clashes with <termios.h>: this file
// must not include the latter.
#include <kq/io/detail/Termios2.h>

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace kq {
namespace io {
namespace detail {

void setCustomBaudRate(int fd, unsigned int rate)
{
    struct termios2 settings;
    if (::ioctl(fd, TCGETS2, &settings) != 0) {
        return;
    }
    settings.c_cflag =
        (settings.c_cflag & ~(CBAUD | (CBAUD << IBSHIFT))) | BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = rate;
    settings.c_ospeed = rate;
    ::ioctl(fd, TCSETS2, &settings);
}

}  // namespace detail
}  // namespace io
}  // namespace kq
