#include <kq/io/detail/Termios.h>

#include <termios.h>

#include <iterator>

namespace kq {
namespace io {
namespace detail {

namespace {

struct Speed {
    unsigned int rate;
    speed_t constant;
};

const Speed standardSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

// cfsetispeed leaves the input-speed bits of c_cflag alone; after a custom rate
// they still say "other rate" and the driver would keep the old input rate.
// Cleared, they make the input rate follow the output rate, as the one Windows rate does.
bool applyBaudRate(termios& settings, unsigned int rate)
{
    for (const Speed& speed : standardSpeeds) {
        if (speed.rate == rate) {
            ::cfsetispeed(&settings, speed.constant);
            ::cfsetospeed(&settings, speed.constant);
            settings.c_cflag &= ~CIBAUD;
            return true;
        }
    }
    return false;
}

void applyDataSize(termios& settings, DataSize size)
{
    const tcflag_t bits[] = {CS5, CS6, CS7, CS8};
    if (size >= DataBits5 && size <= DataBits8) {
        settings.c_cflag = (settings.c_cflag & ~CSIZE) | bits[size - DataBits5];
    }
}

// CMSPAR left over from an earlier program would turn even and odd into space and mark.
void applyParity(termios& settings, Parity parity)
{
    switch (parity) {
        case ParityEven:
            settings.c_cflag = (settings.c_cflag | PARENB) & ~(PARODD | CMSPAR);
            break;
        case ParityOdd:
            settings.c_cflag = (settings.c_cflag | PARENB | PARODD) & ~CMSPAR;
            break;
        case ParityNone:
            settings.c_cflag &= ~(PARENB | PARODD | CMSPAR);
            break;
        default:
            break;
    }
}

void applyStopBits(termios& settings, StopBits stopBits)
{
    switch (stopBits) {
        case StopBitsOne:
            settings.c_cflag &= ~CSTOPB;
            break;
        case StopBitsOneAndHalf:
        case StopBitsTwo:
            settings.c_cflag |= CSTOPB;
            break;
        default:
            break;
    }
}

void applyFlowControl(termios& settings, FlowControl flow)
{
    switch (flow) {
        case FlowOff:
            settings.c_iflag &= ~(IXON | IXOFF);
            settings.c_cflag &= ~CRTSCTS;
            break;
        case FlowSoftware:
            settings.c_iflag |= IXON | IXOFF;
            settings.c_cflag &= ~CRTSCTS;
            break;
        case FlowHardware:
            settings.c_iflag &= ~(IXON | IXOFF);
            settings.c_cflag |= CRTSCTS;
            break;
        default:
            break;
    }
}

}  // namespace

// Software flow control is IXON with IXOFF, as set here. IXON alone is a fresh tty's
// terminal default, not a flow-control setting to keep: it would swallow every 0x11 and
// 0x13 byte the device sends.
void makeRaw(termios& settings)
{
    settings.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL);
    if (!(settings.c_iflag & IXOFF)) {
        settings.c_iflag &= ~IXON;
    }
    settings.c_oflag &= ~OPOST;
    settings.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag |= CLOCAL | CREAD;
    // A non-blocking read then reports EAGAIN instead of 0 when nothing is
    // waiting, so 0 keeps meaning that the device has gone.
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
}

bool applyLineSettings(termios& settings, const SerialConfig& config)
{
    applyDataSize(settings, config.dataSize());
    applyParity(settings, config.parity());
    applyStopBits(settings, config.stopBits());
    applyFlowControl(settings, config.flowControl());
    return config.baudRate() == 0 || applyBaudRate(settings, config.baudRate());
}

}  // namespace detail
}  // namespace io
}  // namespace kq
