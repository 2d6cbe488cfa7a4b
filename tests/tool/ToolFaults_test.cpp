#include "ToolRun.h"

#include "support/PortPair.h"

#ifndef _WIN32
#  include <fcntl.h>
#  include <signal.h>
#  include <sys/ioctl.h>
#  include <unistd.h>
#endif

namespace {

using kqtest::runLimit;

std::string request(int number, const char* name, const std::string& last)
{
    return std::to_string(number) + "\t0.1\tt.exe\t" + name + "\tSerial0\tSUCCESS\t" + last + "\n";
}

using ToolFaults = kqtest::ToolRun;

#ifdef _WIN32
#  define SKIP_ON_WINDOWS(why) GTEST_SKIP() << why
#else
#  define SKIP_ON_WINDOWS(why)
#endif

#ifndef _WIN32
// Waits for a line of the program's output that starts with the text.
void awaitLine(kqtest::Process& program, const std::string& start)
{
    std::string line;
    while (program.readLine(line, std::chrono::milliseconds(30000))) {
        if (kqtest::text(line).rfind(start, 0) == 0) {
            return;
        }
    }
    FAIL() << "no line starting '" << start << "' in: " << program.out();
}
#endif

const std::string writeThenRead =
    request(1, "IRP_MJ_WRITE", "Length 1: 01") + request(2, "IRP_MJ_READ", "Length 1: 02");

// A long window makes "at once" plain: the replay must not sit it out.
TEST_F(ToolFaults, LoaderEndsAtOnceWhenThePortGoesAway)
{
    SKIP_ON_WINDOWS("under Wine the COM port is one end of a socat pair that outlives the device");
#ifndef _WIN32
    ASSERT_NO_FATAL_FAILURE(start(writeThenRead + request(3, "IRP_MJ_WRITE", "Length 1: 03"),
                                  request(1, "IRP_MJ_WRITE", "Length 1: 01"), {"--window=50000"}));
    ASSERT_NO_FATAL_FAILURE(awaitLine(*device_, "expect 1 bytes: match"));
    ::kill(static_cast<pid_t>(device_->pid()), SIGKILL);
    finish();
    EXPECT_EQ(1, loaderStatus_);
    EXPECT_EQ(kqtest::text(loader_->out()),
              "ACTION: send 1 bytes\nACTION: recv ( 1 ) 02 \nERROR: the port '" + loaderPort_ +
                  "' has gone away\n");
#endif
}

// The report of a replay that ended in an error holds the blocks compared before it.
TEST_F(ToolFaults, ReportsTheBlocksBeforeThePortWentAway)
{
    SKIP_ON_WINDOWS("under Wine the COM port is one end of a socat pair that outlives the device");
#ifndef _WIN32
    const std::string json = (dir_.path() / "r.json").string();
    ASSERT_NO_FATAL_FAILURE(start(writeThenRead + request(3, "IRP_MJ_WRITE", "Length 1: 03") +
                                      request(4, "IRP_MJ_READ", "Length 1: 04"),
                                  writeThenRead + request(3, "IRP_MJ_WRITE", "Length 1: 03"),
                                  {"--window=50000", "--fast", "--json=" + json}));
    ASSERT_NO_FATAL_FAILURE(awaitLine(*device_, "expect 1 bytes: match"));
    ASSERT_NO_FATAL_FAILURE(awaitLine(*device_, "expect 1 bytes: match"));
    ::kill(static_cast<pid_t>(device_->pid()), SIGKILL);
    finish();
    EXPECT_EQ(1, loaderStatus_);
    const std::string report = kqtest::readFile(json);
    EXPECT_NE(report.find("\"blocks\": 1, \"matched\": 1,"), std::string::npos) << report;
#endif
}

// The port is closed on the way out, so its exclusive use ends with the run.
TEST(ToolInterrupt, LoaderReleasesThePortWhenInterrupted)
{
    SKIP_ON_WINDOWS("a console control event cannot be sent to one program under Wine");
#ifndef _WIN32
    kqtest::TempDir dir;
    const std::string dump = dir.writeFile("dump.log", writeThenRead);
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        kqtest::PortPair pair;
        auto loader = kqtest::startTool("QuorvexLoader",
                                        {"--window=50000", "-s=" + pair.portName(), "-i=" + dump});
        ASSERT_NO_FATAL_FAILURE(awaitLine(*loader, "ACTION: recv"));
        ::kill(static_cast<pid_t>(loader->pid()), signal);
        EXPECT_EQ(128 + signal, loader->wait(runLimit));
        const std::string name = signal == SIGINT ? "SIGINT" : "SIGTERM";
        EXPECT_EQ(
            kqtest::text(loader->out()),
            "ACTION: send 1 bytes\nACTION: recv ( 1 ) 02 \nERROR: interrupted by " + name + "\n");
        const int port =
            ::open(("/dev/" + pair.portName()).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(port, 0) << "the port stayed busy";
        int exclusive = -1;
        EXPECT_EQ(0, ::ioctl(port, TIOCGEXCL, &exclusive));
        EXPECT_EQ(0, exclusive);
        ::close(port);
    }
#endif
}

TEST_F(ToolFaults, DeviceNoticesThatTheHostHasGone)
{
    SKIP_ON_WINDOWS("under Wine the COM port is one end of a socat pair that outlives the host");
#ifndef _WIN32
    ASSERT_NO_FATAL_FAILURE(start(writeThenRead,
                                  request(1, "IRP_MJ_WRITE", "Length 1: 01") +
                                      request(2, "IRP_MJ_WRITE", "Length 1: 03") +
                                      request(3, "IRP_MJ_WRITE", "Length 1: 04"),
                                  {"--window=50000"}, {"-t=50000"}));
    ASSERT_NO_FATAL_FAILURE(awaitLine(*device_, "expect 1 bytes: match"));
    ::kill(static_cast<pid_t>(loader_->pid()), SIGKILL);
    finish();
    EXPECT_EQ(1, deviceStatus_);
    EXPECT_EQ(kqtest::text(device_->out()),
              "port: " + loaderPort_ + "\nexpect 1 bytes: match\nhost: closed " + loaderPort_ +
                  " before the end\nsummary: 1 of 3 expected blocks matched\n");
#endif
}

// The host waits for more than the device answers at once, so it reads nothing.
TEST_F(ToolFaults, DeviceGivesUpAnAnswerTheHostDoesNotRead)
{
    SKIP_ON_WINDOWS("under Wine the socat pair takes every byte, so the line never refuses");
    const std::string answer = "Length 102400: " + std::string(2 * 102400, 'A');
    const std::string expected = "Length 204800: " + std::string(2 * 204800, 'B');
    ASSERT_NO_FATAL_FAILURE(
        run(request(1, "IRP_MJ_WRITE", "Length 1: 01") + request(2, "IRP_MJ_READ", expected),
            request(1, "IRP_MJ_WRITE", "Length 1: 01") + request(2, "IRP_MJ_READ", answer),
            {"--window=8000"}, {"-t=2000"}));
    EXPECT_EQ(1, deviceStatus_);
    EXPECT_NE(std::string::npos,
              kqtest::text(device_->out()).find("the host did not read in time\n"))
        << device_->out();
}

// Read back from the port: the settings the replay was told to use.
TEST(ToolSettings, ConfigAndTheLogsOwnSettingsReachThePort)
{
#ifdef _WIN32
    if (kqtest::testPorts().size() != 2) {
        GTEST_SKIP() << "needs the COM port pair named by KQ_TEST_PORTS";
    }
#endif
    const struct {
        std::vector<std::string> args;
        std::string dump;
        unsigned int baudRate;
        bool twoStopBits;
    } cases[] = {
        {{"--config=baud=57600;stop=2"}, request(1, "IRP_MJ_WRITE", "Length 1: 01"), 57600, true},
        {{"--log-settings", "--pause=0"},
         request(1, "IOCTL_SERIAL_SET_BAUD_RATE", "Rate: 9600") +
             request(2, "IRP_MJ_WRITE", "Length 1: 01") +
             request(3, "IOCTL_SERIAL_SET_BAUD_RATE", "Rate: 19200") +
             request(4, "IOCTL_SERIAL_SET_LINE_CONTROL", "StopBits: 2 Parity: NONE WordLength: 8"),
         19200,
         true},
    };
    kqtest::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        kqtest::PortPair pair;
        std::vector<std::string> args = c.args;
        args.insert(args.end(),
                    {"-s=" + pair.portName(), "-i=" + dir.writeFile("dump.log", c.dump)});
        auto loader = kqtest::startTool("QuorvexLoader", args);
        EXPECT_EQ(pair.deviceRead(1, std::chrono::milliseconds(30000)),
                  std::vector<unsigned char>{0x01});
        EXPECT_EQ(0, loader->wait(runLimit)) << loader->out() << loader->err();
        const kqtest::PortSettings settings = pair.settings();
        EXPECT_EQ(c.baudRate, settings.baudRate);
        EXPECT_EQ(c.twoStopBits, settings.twoStopBits);
    }
}

}  // namespace
