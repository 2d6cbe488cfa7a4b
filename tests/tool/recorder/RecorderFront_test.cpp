#include "RecordedLog.h"
#include "support/PortPair.h"
#include "tool/ToolRun.h"

#ifndef _WIN32
#  include <signal.h>
#endif

namespace {

using namespace std::chrono_literals;

// The program and the device, each at the far end of a null-modem pair; the
// recorder relays between the two near ends.
TEST(QuorvexRecorderFront, RelaysBetweenTwoPortsAndRecordsBothWays)
{
#ifdef _WIN32
    if (kqtest::testPorts(1).size() != 2) {
        GTEST_SKIP() << "needs two COM port pairs named by KQ_TEST_PORTS";
    }
#endif
    kqtest::TempDir dir;
    kqtest::PortPair device(0), program(1);
    const std::string log = (dir.path() / "front.log").string();
    auto recorder = kqtest::startTool(
        "QuorvexRecorder", {"-s=" + device.portName(), "-o=" + log, "--front=" + program.portName(),
                            "--config=baud=9600;stop=2"});
    std::string line;
    ASSERT_TRUE(recorder->readLine(line, 30000ms)) << recorder->err();
    EXPECT_EQ(kqtest::text(line + "\n"), "port: " + program.portName() + "\n");
    program.deviceWrite({0x01, 0x02});
    EXPECT_EQ(device.deviceRead(2, 10000ms), (std::vector<unsigned char>{0x01, 0x02}));
    device.deviceWrite({0x90, 0x00});
    EXPECT_EQ(program.deviceRead(2, 10000ms), (std::vector<unsigned char>{0x90, 0x00}));
#ifdef _WIN32
    // Killed: what was logged is in the file all the same.
    recorder.reset();
#else
    const kqtest::PortSettings settings = device.settings();
    EXPECT_EQ(settings.baudRate, 9600u);
    EXPECT_TRUE(settings.twoStopBits);
    ASSERT_EQ(::kill(static_cast<pid_t>(recorder->pid()), SIGTERM), 0);
    EXPECT_EQ(recorder->wait(kqtest::runLimit), 0);
    EXPECT_EQ(kqtest::text(recorder->out()),
              line +
                  "\nrecorded: 1 writes (2 bytes), 1 reads (2 bytes), 0 settings changes, 0 "
                  "purges\n");
#endif
    EXPECT_EQ(kqtest::events(log),
              (std::vector<std::string>{"IRP_MJ_WRITE  01 02", "IRP_MJ_READ  90 00"}));
}

}  // namespace
