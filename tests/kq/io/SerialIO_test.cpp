#include "LogCapture.h"

#include <kq/io/SerialIO.h>

#include "support/PortPair.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace kq::io;
using kqtest::PortPair;
using std::chrono::milliseconds;

namespace {

const milliseconds patience(5000);
const unsigned int MaxDword = 0xFFFFFFFFu;

using Bytes = std::vector<unsigned char>;

SerialConfig configFor(const PortPair& pair, const SerialTimeouts& timeouts = {0, 0, 0, 0, 0}) {
    SerialConfig c = SerialConfig::fromString("device=" + pair.portName() +
                                              ";baud=9600;data=8;parity=none;stop=1;flow=off");
    c.setCommTimeouts(timeouts);
    c.setBuffersSize({4096, 4096});
    return c;
}

Bytes allByteValues() {
    Bytes bytes(256);
    std::iota(bytes.begin(), bytes.end(), 0);
    return bytes;
}

// The driver takes a moment to pass bytes on; wait for them without guessing how long.
bool waitForAvailable(const SerialIO& port, unsigned int count) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (port.available() < count) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(milliseconds(1));
    }
    return true;
}

}  // namespace

TEST(SerialIO, OpenFailureIsLoggedAndThrownWithTheSystemError) {
    LogCapture log(0);
    SerialConfig c;
    c.setDeviceName(kqtest::missingPortName());
    const std::string name = c.deviceName();
    try {
        SerialIO port(c, log.logger());
        FAIL() << "a missing device opened";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ("can't open '" + name + "'. error = 2", std::string(e.what()));
    }
    ASSERT_EQ(1u, log.lines().size());
    EXPECT_EQ("openDevice( '" + name + "' ) failed: 2", log.lines()[0]);
}

TEST(SerialIO, OpenIsLoggedAtLevelZeroAndTransfersOnlyFromLevelOne) {
    PortPair pair;
    const Bytes hello{'h', 'i'};
    for (int level : {-1, 0, 1}) {
        LogCapture log(level);
        {
            SerialIO port(configFor(pair), log.logger());
            EXPECT_EQ(2u, port.send(hello.data(), 2));
            EXPECT_EQ(hello, pair.deviceRead(2, patience));
            EXPECT_EQ(0u, port.send(hello.data(), 0));
        }
        std::vector<std::string> expected;
        if (level >= 0) {
            expected.push_back("openDevice( '" + pair.portName() + "' ) OK");
        }
        if (level >= 1) {
            expected.push_back("send -> [ 2 ]: ");
        }
        EXPECT_EQ(expected, log.lines()) << "level " << level;
    }
}

TEST(SerialIO, MovesEveryByteValueUnalteredBothWays) {
    PortPair pair;
    LogCapture log(1);
    SerialIO port(configFor(pair), log.logger());
    const Bytes bytes = allByteValues();

    EXPECT_EQ(256u, port.send(bytes.data(), 256));
    EXPECT_EQ(bytes, pair.deviceRead(256, patience));

    pair.deviceWrite(bytes);
    Bytes received(256);
    EXPECT_EQ(256u, port.recv(received.data(), 256));
    EXPECT_EQ(bytes, received);
    EXPECT_EQ("send -> [ 256 ]: ", log.lines().at(1));
}

TEST(SerialIO, PartialReadsAreLoggedAgainstWhatWasOutstanding) {
    PortPair pair;
    LogCapture log(1);
    // A pause of 100 ms after a byte ends a read; the first read ends after
    // four bytes, and only then does the device send the other six.
    SerialIO port(configFor(pair, {100, 0, 0, 0, 0}), log.logger());
    log.onWrite([&](const std::string& line) {
        if (line == "recv <- [ 4 of 10 ]: ") {
            pair.deviceWrite({5, 6, 7, 8, 9, 10});
        }
    });
    pair.deviceWrite({1, 2, 3, 4});
    Bytes received(10);
    EXPECT_EQ(10u, port.recv(received.data(), 10));
    EXPECT_EQ(Bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), received);
    const std::vector<std::string> expected{"openDevice( '" + pair.portName() + "' ) OK",
                                            "recv <- [ 4 of 10 ]: ", "recv <- [ 6 ]: "};
    EXPECT_EQ(expected, log.lines());
}

TEST(SerialIO, ReadTimeoutsEndAReadWithWhatArrived) {
    PortPair pair;
    {
        SerialIO port(configFor(pair, {MaxDword, 0, 0, 0, 0}));
        Bytes buffer(8);
        EXPECT_EQ(0u, port.recv(buffer.data(), 8)) << "nothing waiting: returns at once";
    }
    LogCapture log(1);
    SerialIO port(configFor(pair, {0, 50, 0, 0, 0}), log.logger());
    pair.deviceWrite({7, 7, 7});
    Bytes buffer(8);
    EXPECT_EQ(3u, port.recv(buffer.data(), 8));
    EXPECT_EQ("recv <- [ 3 of 8 ]: ", log.lines().back());
}

TEST(SerialIO, AvailableCountsWaitingBytesAndTheReplayTimeoutsReadThemAtOnce) {
    PortPair pair;
    SerialIO port(configFor(pair, {65535, 0, 0, 0, 0}));
    EXPECT_EQ(0u, port.available());
    pair.deviceWrite({1, 2, 3, 4, 5});
    ASSERT_TRUE(waitForAvailable(port, 5));
    EXPECT_EQ(5u, port.available());
    Bytes buffer(5);
    EXPECT_EQ(5u, port.recv(buffer.data(), port.available()));
    EXPECT_EQ(Bytes({1, 2, 3, 4, 5}), buffer);
}

TEST(SerialIO, PurgeDiscardsWhatIsWaiting) {
    PortPair pair;
    SerialIO port(configFor(pair, {MaxDword, 0, 0, 0, 0}));
    pair.deviceWrite({1, 2, 3});
    ASSERT_TRUE(waitForAvailable(port, 3));
    port.purge();
    EXPECT_EQ(0u, port.available());
    Bytes buffer(3);
    EXPECT_EQ(0u, port.recv(buffer.data(), 3));
}

TEST(SerialIO, HoldsTheDeviceExclusively) {
#if defined(_WIN32)
    GTEST_SKIP() << "Wine lets a second CreateFileA with share mode 0 open a COM port";
#endif
    PortPair pair;
    {
        SerialIO first(configFor(pair));
        EXPECT_THROW(SerialIO second(configFor(pair)), std::runtime_error);
    }
    EXPECT_NO_THROW(SerialIO again(configFor(pair)));
}

void expectSettings(const kqtest::PortSettings& expected, const kqtest::PortSettings& s,
                    const std::string& context) {
    EXPECT_EQ(expected.baudRate, s.baudRate) << context;
    EXPECT_EQ(expected.twoStopBits, s.twoStopBits) << context;
    EXPECT_EQ(expected.xonXoff, s.xonXoff) << context;
    EXPECT_EQ(expected.rtsCts, s.rtsCts) << context;
}

void configureOnce(const PortPair& pair, const std::string& text) {
    SerialConfig c = SerialConfig::fromString(text);
    c.setDeviceName(pair.portName());
    c.setCommTimeouts({0, 0, 0, 0, 0});
    c.setBuffersSize({4096, 4096});
    SerialIO port(c);
}

// Data bits and parity are checked on the termios record itself (SerialTermios):
// a pseudo-terminal keeps 8 data bits without parity whatever is asked.
TEST(SerialIO, ConfigureAppliesWhatIsSetAndLeavesTheRest) {
    PortPair pair;
    const struct {
        const char* text;
        kqtest::PortSettings expected;
    } steps[] = {
        {"baud=9600;stop=1;flow=off", {9600, false, false, false}},
        {"baud=19200;stop=2", {19200, true, false, false}},
        {"stop=1.5;flow=software", {19200, true, true, false}},
        {"", {19200, true, true, false}},
        {"baud=115200;flow=off;stop=1", {115200, false, false, false}},
    };
    for (const auto& step : steps) {
        configureOnce(pair, step.text);
        expectSettings(step.expected, pair.settings(), step.text);
    }
}

TEST(SerialIO, HardwareFlowControlIsRtsCts) {
#if defined(_WIN32)
    GTEST_SKIP() << "Wine refuses RTS_CONTROL_TOGGLE (error 50), so the whole DCB is not applied";
#endif
    PortPair pair;
    configureOnce(pair, "baud=9600;flow=software");
    configureOnce(pair, "flow=hardware");
    expectSettings({9600, false, false, true}, pair.settings(), "flow=hardware");
    configureOnce(pair, "flow=off");
    expectSettings({9600, false, false, false}, pair.settings(), "flow=off");
}

TEST(SerialIO, ConfigureAppliesAChangedCopyToTheOpenPort) {
    PortPair pair;
    {
        SerialIO port(configFor(pair));
        port.config().setBaudRate(57600);
        port.config().setDeviceName("renamed-not-reopened");
        port.configure();
    }
    EXPECT_EQ(57600u, pair.settings().baudRate);
}

TEST(SerialIO, AnyBaudRateIsApplied) {
#if defined(_WIN32)
    GTEST_SKIP() << "Wine sets only the standard rates on a pseudo-terminal";
#endif
    PortPair pair;
    SerialConfig c = configFor(pair);
    c.setBaudRate(250000);
    { SerialIO port(c); }
    EXPECT_EQ(250000u, pair.settings().baudRate);
    // Back to a standard rate: both directions follow, not just the output.
    c.setBaudRate(115200);
    { SerialIO port(c); }
    EXPECT_EQ(115200u, pair.settings().baudRate);
}

TEST(SerialIO, AVanishedDeviceEndsTransfersWithoutHanging) {
#if defined(_WIN32)
    GTEST_SKIP() << "under Wine the pair is relayed by socat, so the port never sees the device go";
#endif
    PortPair pair;
    SerialIO port(configFor(pair));
    pair.closeDevice();
    Bytes buffer(4, 0);
    EXPECT_EQ(0u, port.recv(buffer.data(), 4));
    EXPECT_EQ(0u, port.send(buffer.data(), 4));
}

TEST(SerialIO, ConfiguringSomethingThatIsNoSerialPortFails) {
#if defined(_WIN32)
    const std::string device = "NUL";
    const std::string call = "::GetCommState";
#else
    const std::string device = "null";
    const std::string call = "::tcgetattr";
#endif
    SerialConfig c;
    c.setDeviceName(device);
    try {
        SerialIO port(c);
        FAIL() << device << " was taken for a serial port";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(0u, std::string(e.what()).find(call + "( '" + device + "' ) failed. error = "))
            << e.what();
    }
}

TEST(SerialDevices, EnumerationIsEmpty) { EXPECT_TRUE(enumerateSerialDevices().empty()); }
