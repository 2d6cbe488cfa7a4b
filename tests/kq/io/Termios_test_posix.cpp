// The termios mapping, checked on the record itself: a pseudo-terminal, the
// only port a test has, ignores data bits and parity.
#include <kq/io/detail/Termios.h>

#include <gtest/gtest.h>

#include <termios.h>

using namespace kq::io;

namespace {

termios everythingSet()
{
    termios t{};
    t.c_iflag = IXON | IXOFF | ICRNL | ISTRIP;
    t.c_oflag = OPOST;
    t.c_cflag = CS7 | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS;
    t.c_lflag = ICANON | ECHO | ISIG;
    ::cfsetispeed(&t, B2400);
    ::cfsetospeed(&t, B2400);
    return t;
}

}  // namespace

TEST(SerialTermios, NothingSetChangesOnlyTheRawModeFlags)
{
    termios t = everythingSet();
    detail::makeRaw(t);
    EXPECT_TRUE(detail::applyLineSettings(t, SerialConfig()));
    EXPECT_EQ(tcflag_t(IXON | IXOFF), t.c_iflag);
    EXPECT_EQ(tcflag_t(0), t.c_oflag & OPOST);
    EXPECT_EQ(tcflag_t(0), t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_EQ(tcflag_t(CS7 | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CLOCAL | CREAD),
              t.c_cflag & ~CBAUD);
    EXPECT_EQ(speed_t(B2400), ::cfgetospeed(&t));
}

TEST(SerialTermios, RawModeDropsTheTerminalDefaultXonButKeepsSoftwareFlowControl)
{
    for (tcflag_t xon : {tcflag_t(IXON), tcflag_t(IXON | IXOFF)}) {
        termios t{};
        t.c_iflag = xon | ICRNL;
        detail::makeRaw(t);
        EXPECT_EQ(xon == IXON ? 0 : xon, t.c_iflag);
    }
}

TEST(SerialTermios, EachSettingMapsToItsFlags)
{
    const struct {
        const char* text;
        tcflag_t cflagMask, cflag, iflagMask, iflag;
    } cases[] = {
        {"data=5", CSIZE, CS5, 0, 0},
        {"data=6", CSIZE, CS6, 0, 0},
        {"data=8", CSIZE, CS8, 0, 0},
        {"parity=even", PARENB | PARODD | CMSPAR, PARENB, 0, 0},
        {"parity=odd", PARENB | PARODD | CMSPAR, PARENB | PARODD, 0, 0},
        {"parity=none", PARENB | PARODD | CMSPAR, 0, 0, 0},
        {"stop=1", CSTOPB, 0, 0, 0},
        {"stop=1.5", CSTOPB, CSTOPB, 0, 0},
        {"stop=2", CSTOPB, CSTOPB, 0, 0},
        {"flow=off", CRTSCTS, 0, IXON | IXOFF, 0},
        {"flow=software", CRTSCTS, 0, IXON | IXOFF, IXON | IXOFF},
        {"flow=hardware", CRTSCTS, CRTSCTS, IXON | IXOFF, 0},
    };
    for (const auto& c : cases) {
        for (termios t : {everythingSet(), termios{}}) {
            detail::applyLineSettings(t, SerialConfig::fromString(c.text));
            EXPECT_EQ(c.cflag, t.c_cflag & c.cflagMask) << c.text;
            EXPECT_EQ(c.iflag, t.c_iflag & c.iflagMask) << c.text;
        }
    }
}

TEST(SerialTermios, StandardRatesUseTheirConstantsAndOthersAreLeftToTermios2)
{
    termios t = everythingSet();
    EXPECT_TRUE(detail::applyLineSettings(t, SerialConfig::fromString("baud=115200")));
    EXPECT_EQ(speed_t(B115200), ::cfgetispeed(&t));
    EXPECT_EQ(speed_t(B115200), ::cfgetospeed(&t));
    EXPECT_FALSE(detail::applyLineSettings(t, SerialConfig::fromString("baud=250000")));
    EXPECT_EQ(speed_t(B115200), ::cfgetospeed(&t));
}
