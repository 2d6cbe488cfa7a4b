#include "RecordedLog.h"
#include "support/PortPair.h"
#include "tool/ToolRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <fstream>

using kqtest::events;
using kqtest::fields;

namespace {

using namespace std::chrono_literals;

// The program's side: the recorder's pseudo-terminal, used as a serial program uses a port.
class ProgramPort {
public:
    explicit ProgramPort(const std::string& name)
        : fd_(::open(("/dev/" + name).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        EXPECT_GE(fd_, 0) << "can't open /dev/" << name;
    }
    ~ProgramPort() { close(); }

    // Raw, as serial programs set it: that clears EXTPROC with everything else.
    void set(speed_t speed, bool twoStopBits, bool rtsCts = false)
    {
        termios t{};
        ::tcgetattr(fd_, &t);
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, speed);
        t.c_cflag = twoStopBits ? (t.c_cflag | CSTOPB) : (t.c_cflag & ~CSTOPB);
        t.c_cflag = rtsCts ? (t.c_cflag | CRTSCTS) : (t.c_cflag & ~CRTSCTS);
        ASSERT_EQ(::tcsetattr(fd_, TCSANOW, &t), 0);
    }
    void write(const std::vector<unsigned char>& bytes)
    {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::vector<unsigned char> read(std::size_t count)
    {
        std::vector<unsigned char> got(count);
        std::size_t have = 0;
        pollfd entry{fd_, POLLIN, 0};
        while (have<count&& ::poll(&entry, 1, 10000)> 0) {
            const ssize_t n = ::read(fd_, got.data() + have, count - have);
            if (n <= 0) {
                break;
            }
            have += static_cast<std::size_t>(n);
        }
        got.resize(have);
        return got;
    }
    void purge(int queues = TCIOFLUSH) { ::tcflush(fd_, queues); }
    void close()
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = -1;
    }

private:
    int fd_;
};

class Recorder : public kqtest::ToolRun {
protected:
    // Starts the recorder on the port; a fatal failure when it reports no terminal.
    void record(const std::string& port, std::vector<std::string> args = {})
    {
        log_ = (dir_.path() / "session.log").string();
        args.insert(args.begin(), {"-s=" + port, "-o=" + log_});
        recorder_ = kqtest::startTool("QuorvexRecorder", args);
        announcedPort(*recorder_, terminal_);
    }
    // The port a program names on its first line; a fatal failure when it names none.
    static void announcedPort(kqtest::Process& program, std::string& port)
    {
        std::string line;
        ASSERT_TRUE(program.readLine(line, 30000ms) && line.rfind("port: ", 0) == 0)
            << line << program.err();
        port = line.substr(6);
    }

    std::unique_ptr<kqtest::Process> recorder_;
    std::string log_, terminal_;
};

const char* const deviceLog =
    "0\t0.0\tprog\tIRP_MJ_WRITE\tSerial0\tSUCCESS\tLength 3: 01 02 03\r\n"
    "1\t0.0\tprog\tIRP_MJ_READ\tSerial0\tSUCCESS\tLength 2: 90 00\r\n"
    "2\t0.0\tprog\tIRP_MJ_WRITE\tSerial0\tSUCCESS\tLength 2: 05 06\r\n"
    "3\t0.0\tprog\tIRP_MJ_READ\tSerial0\tSUCCESS\tLength 3: 61 62 63\r\n";

// Record a session against QuorvexDevice, check the log, then replay it with the
// loader against the device serving that very log.
TEST_F(Recorder, RecordsASessionThatTheLoaderReplays)
{
    device_ = kqtest::startTool("QuorvexDevice",
                                {"--pty", "-i=" + dir_.writeFile("device.log", deviceLog)});
    std::string devicePort, line;
    ASSERT_NO_FATAL_FAILURE(announcedPort(*device_, devicePort));
    ASSERT_NO_FATAL_FAILURE(record(devicePort, {"--once"}));
    {
        ProgramPort program(terminal_);
        ASSERT_NO_FATAL_FAILURE(program.set(B9600, true));
        program.write({0x01, 0x02, 0x03});
        EXPECT_EQ(program.read(2), (std::vector<unsigned char>{0x90, 0x00}));
        program.purge();
        ASSERT_NO_FATAL_FAILURE(program.set(B19200, true));
        program.write({0x05, 0x06});
        EXPECT_EQ(program.read(3), (std::vector<unsigned char>{0x61, 0x62, 0x63}));
    }
    EXPECT_EQ(recorder_->wait(kqtest::runLimit), 0) << recorder_->err();
    EXPECT_EQ(device_->wait(kqtest::runLimit), 0) << device_->out();
    EXPECT_EQ(kqtest::text(recorder_->out()),
              "port: " + terminal_ +
                  "\nrecorded: 2 writes (5 bytes), 2 reads (5 bytes), 3 settings changes, 1 "
                  "purges\n");
    EXPECT_EQ(events(log_), (std::vector<std::string>{
                                "IRP_MJ_CREATE Options: Open",
                                "IOCTL_SERIAL_SET_BAUD_RATE Rate: 9600",
                                "IOCTL_SERIAL_SET_LINE_CONTROL StopBits: 2 Parity: NONE "
                                "WordLength: 8",
                                "IRP_MJ_WRITE  01 02 03",
                                "IRP_MJ_READ  90 00",
                                "IOCTL_SERIAL_PURGE Purge: TXCLEAR RXCLEAR",
                                "IOCTL_SERIAL_SET_BAUD_RATE Rate: 19200",
                                "IRP_MJ_WRITE  05 06",
                                "IRP_MJ_READ  61 62 63",
                                "IRP_MJ_CLOSE ",
                            }));
    std::ifstream in(log_);
    std::getline(in, line);
    EXPECT_EQ(fields(line)[2], "tool_tests");
    EXPECT_EQ(fields(line)[4], devicePort);

    const kqtest::Outcome check = kqtest::runTool("QuorvexLoader", {"--check", "-i=" + log_});
    EXPECT_EQ(check.status, 0) << check.out;
    const std::string recorded = kqtest::readFile(log_);
    ASSERT_NO_FATAL_FAILURE(run(recorded, recorded, {"--compare", "--log-settings", "--fast"}));
    EXPECT_EQ(loaderStatus_, 0) << loader_->out();
    EXPECT_EQ(deviceStatus_, 0) << device_->out();
    EXPECT_EQ(kqtest::text(loader_->out()).find("MISMATCH"), std::string::npos);
}

// The real port takes each change before the bytes the program writes after it.
TEST_F(Recorder, TheRealPortFollowsTheProgramsSettings)
{
    kqtest::PortPair device;
    ASSERT_NO_FATAL_FAILURE(record(device.portName(), {"--config=parity=even;data=7"}));
    ProgramPort program(terminal_);
    const struct {
        speed_t speed;
        unsigned int baudRate;
        bool twoStopBits, rtsCts;
    } changes[] = {{B57600, 57600, false, true}, {B1200, 1200, true, false}};
    for (const auto& change : changes) {
        ASSERT_NO_FATAL_FAILURE(program.set(change.speed, change.twoStopBits, change.rtsCts));
        program.write({0x42});
        ASSERT_EQ(device.deviceRead(1, 10000ms), std::vector<unsigned char>{0x42});
        const kqtest::PortSettings settings = device.settings();
        EXPECT_EQ(settings.baudRate, change.baudRate);
        EXPECT_EQ(settings.twoStopBits, change.twoStopBits);
        EXPECT_EQ(settings.rtsCts, change.rtsCts);
    }
    program.purge(TCIFLUSH);
    program.close();
    ASSERT_EQ(::kill(static_cast<pid_t>(recorder_->pid()), SIGTERM), 0);
    EXPECT_EQ(recorder_->wait(kqtest::runLimit), 0);
    EXPECT_EQ(events(log_), (std::vector<std::string>{
                                "IRP_MJ_CREATE Options: Open",
                                "IOCTL_SERIAL_SET_BAUD_RATE Rate: 57600",
                                "IOCTL_SERIAL_SET_HANDFLOW Shake:9 Replace:80 XonLimit:2048 "
                                "XoffLimit:512",
                                "IRP_MJ_WRITE  42",
                                "IOCTL_SERIAL_SET_BAUD_RATE Rate: 1200",
                                "IOCTL_SERIAL_SET_LINE_CONTROL StopBits: 2 Parity: EVEN "
                                "WordLength: 7",
                                "IOCTL_SERIAL_SET_HANDFLOW Shake:1 Replace:40 XonLimit:2048 "
                                "XoffLimit:512",
                                "IRP_MJ_WRITE  42",
                                "IOCTL_SERIAL_PURGE Purge: RXCLEAR",
                                "IRP_MJ_CLOSE ",
                            }));
}

TEST_F(Recorder, EndsOnSigintWithASummaryAndRemovesItsLink)
{
    kqtest::PortPair device;
    const std::string link = (dir_.path() / "port").string();
    ASSERT_NO_FATAL_FAILURE(record(device.portName(), {"--link=" + link}));
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), "/dev/" + terminal_);
    ProgramPort program(terminal_);
    program.write({0x42});
    EXPECT_EQ(device.deviceRead(1, 10000ms), std::vector<unsigned char>{0x42});
    ASSERT_EQ(::kill(static_cast<pid_t>(recorder_->pid()), SIGINT), 0);
    EXPECT_EQ(recorder_->wait(kqtest::runLimit), 0);
    EXPECT_EQ(kqtest::text(recorder_->out()),
              "port: " + terminal_ +
                  "\nrecorded: 1 writes (1 bytes), 0 reads (0 bytes), 0 settings changes, 0 "
                  "purges\n");
    EXPECT_EQ(events(log_),
              (std::vector<std::string>{"IRP_MJ_CREATE Options: Open", "IRP_MJ_WRITE  42"}));
    struct stat status;
    EXPECT_NE(::lstat(link.c_str(), &status), 0) << "the link is still there";
}

// The log stays as far as it got.
TEST_F(Recorder, EndsWithAnErrorWhenTheDeviceGoesAway)
{
    kqtest::PortPair device;
    ASSERT_NO_FATAL_FAILURE(record(device.portName()));
    ProgramPort program(terminal_);
    program.write({0x42});
    EXPECT_EQ(device.deviceRead(1, 10000ms), std::vector<unsigned char>{0x42});
    device.closeDevice();
    EXPECT_EQ(recorder_->wait(kqtest::runLimit), 1);
    EXPECT_EQ(kqtest::text(recorder_->out()), "port: " + terminal_ + "\nERROR: the port '" +
                                                  device.portName() + "' has gone away\n");
    EXPECT_EQ(events(log_),
              (std::vector<std::string>{"IRP_MJ_CREATE Options: Open", "IRP_MJ_WRITE  42"}));
}

TEST_F(Recorder, EndsWithAnErrorWhenTheLogCannotBeWritten)
{
    kqtest::PortPair device;
    recorder_ = kqtest::startTool("QuorvexRecorder",
                                  {"-s=" + device.portName(), "-o=/dev/full", "--force"});
    ASSERT_NO_FATAL_FAILURE(announcedPort(*recorder_, terminal_));
    ProgramPort program(terminal_);
    EXPECT_EQ(recorder_->wait(kqtest::runLimit), 1);
    EXPECT_EQ(kqtest::text(recorder_->out()),
              "port: " + terminal_ + "\nERROR: can't write '/dev/full': No space left on device\n");
}

}  // namespace
