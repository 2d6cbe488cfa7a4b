#include "tool/ToolRun.h"

#include "common/LineSettings.h"

#include <kq/NumberFormatter.h>
#include <kq/io/SerialIO.h>

#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A PortMon line with this time column, request and last field.
std::string line(int number, const char* time, const char* request, const char* last)
{
    return std::to_string(number) + "\t" + time + "\tt.exe\t" + request + "\tSerial0\tSUCCESS\t" +
           last + "\r\n";
}

// The test plays the host on the port the device serves.
class Host {
public:
    explicit Host(const std::string& port) : io_(quorvex::fixedLineSettings(port)) {}

    void send(const std::string& hex)
    {
        const auto bytes = kq::NumberFormatter::string2buffer(hex);
        ASSERT_EQ(io_.send(bytes.data(), static_cast<unsigned int>(bytes.size())), bytes.size());
    }

    // What is waiting once count bytes are, or what came within the limit.
    std::string receive(std::size_t count, std::chrono::milliseconds limit = 5000ms)
    {
        const auto end = Clock::now() + limit;
        while (io_.available() < count && Clock::now() < end) {
            std::this_thread::sleep_for(5ms);
        }
        std::vector<unsigned char> got(io_.available());
        got.resize(io_.recv(got.data(), static_cast<unsigned int>(got.size())));
        return kq::NumberFormatter::buffer2stringU(got.data(),
                                                   static_cast<unsigned int>(got.size()));
    }

private:
    kq::io::SerialIO io_;
};

using DeviceTiming = kqtest::ToolRun;

// The answer comes no earlier than the log's 300 ms after the request, in
// each form of its time column, or after the delay asked for.
TEST_F(DeviceTiming, AnswersAfterTheRecordedLatency)
{
    const struct {
        const char* name;
        std::string log;
        const char* latency;
    } cases[] = {
        {"time since the start",
         line(1, "1.20000000", "IRP_MJ_WRITE", "Length 1: 01") +
             line(2, "1.50000000", "IRP_MJ_READ", "Length 1: 02"),
         "recorded"},
        {"each request's duration",
         line(1, "0.50000000", "IRP_MJ_WRITE", "Length 1: 01") +
             line(2, "0.10000000", "IOCTL_SERIAL_GET_COMMSTATUS", "") +
             line(3, "0.20000000", "IRP_MJ_READ", "Length 1: 02"),
         "recorded"},
        {"clock time over midnight",
         line(1, "11:59:59.900 PM", "IRP_MJ_WRITE", "Length 1: 01") +
             line(2, "12:00:00.200 AM", "IRP_MJ_READ", "Length 1: 02"),
         "recorded"},
        {"fixed",
         line(1, "", "IRP_MJ_WRITE", "Length 1: 01") + line(2, "", "IRP_MJ_READ", "Length 1: 02"),
         "300"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(startDevice(c.log, {std::string("--latency=") + c.latency}));
        {
            Host host(loaderPort_);
            const auto sent = Clock::now();
            host.send("01");
            EXPECT_EQ(host.receive(1), "02");
            EXPECT_GE(Clock::now() - sent, 300ms);
        }
        EXPECT_EQ(device_->wait(kqtest::runLimit), 0) << device_->out();
    }
}

// Rule mode: answers by request, whatever their order, however they are split
// or joined; a repeated request gets the next recorded answer, then the last.
TEST_F(DeviceTiming, AnswersRequestsByTheirBytes)
{
    const std::string log = line(1, "", "IRP_MJ_WRITE", "Length 3: 0A 1B 2C") +
                            line(2, "", "IRP_MJ_READ", "Length 2: 90 00") +
                            line(3, "", "IRP_MJ_WRITE", "Length 2: 03 04") +
                            line(4, "", "IRP_MJ_READ", "Length 2: 61 00") +
                            line(5, "", "IRP_MJ_READ", "Length 1: 6F") +
                            line(6, "", "IRP_MJ_WRITE", "Length 3: 0A 1B 2C") +
                            line(7, "", "IRP_MJ_READ", "Length 2: 90 01");
    ASSERT_NO_FATAL_FAILURE(startDevice(log, {"--match", "--default=6E 00", "-t=3000"}));
    {
        Host host(loaderPort_);
        host.send("0304");
        EXPECT_EQ(host.receive(3), "61006F") << "out of order";
        host.send("0A");
        std::this_thread::sleep_for(50ms);
        host.send("1B2C");
        EXPECT_EQ(host.receive(2), "9000") << "split over two writes";
        host.send("0A1B2C");
        EXPECT_EQ(host.receive(2), "9001") << "repeated";
        host.send("0A1B2C0304");
        EXPECT_EQ(host.receive(5), "900161006F") << "joined in one write, the last answer again";
        host.send("FFEE");
        EXPECT_EQ(host.receive(2), "6E00") << "unknown";
    }
    EXPECT_EQ(device_->wait(kqtest::runLimit), 1);
    EXPECT_TRUE(deviceSaid("unknown request FFEE\n")) << device_->out();
    EXPECT_TRUE(deviceSaid("summary: 5 requests answered, 1 unknown\n")) << device_->out();
}

// The host purges after its request and before it reads the answer, and
// between an answer and the next request: the device discards nothing and
// holds each answer until the purges are made (the log's second and more
// where it cannot see them). A host that does not wait for an empty answer
// makes the purges of the next one meanwhile.
TEST_F(DeviceTiming, LeavesPurgesToTheHost)
{
    const char* const purge = "IOCTL_SERIAL_PURGE";
    const std::string log = line(1, "0.000", "IRP_MJ_WRITE", "Length 1: 01") +
                            line(2, "0.001", purge, "Purge: RXCLEAR") +
                            line(3, "1.000", "IRP_MJ_READ", "Length 1: 90") +
                            line(4, "1.010", purge, "Purge: RXCLEAR") +
                            line(5, "1.020", "IRP_MJ_WRITE", "Length 1: 02") +
                            line(6, "1.030", purge, "Purge: RXCLEAR") +
                            line(7, "1.040", "IRP_MJ_READ", "Length 0: ") +
                            line(8, "1.050", purge, "Purge: RXCLEAR") +
                            line(9, "1.060", "IRP_MJ_WRITE", "Length 1: 03") +
                            line(10, "1.070", purge, "Purge: RXCLEAR") +
                            line(11, "2.500", "IRP_MJ_READ", "Length 2: 91 92");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--compare"}, {"--compare", "--fast"}}) {
        SCOPED_TRACE(args.back());
#ifdef _WIN32
        if (args.back() == "--fast") {
            GTEST_SKIP() << "Wine's PurgeComm flushes the output of its pseudo-terminal, and a "
                            "purge right after a send can discard it before socat reads it";
        }
#endif
        ASSERT_NO_FATAL_FAILURE(run(log, log, args));
        EXPECT_EQ(0, loaderStatus_) << loader_->out();
        EXPECT_EQ(0, deviceStatus_) << device_->out();
        EXPECT_TRUE(deviceSaid("summary: 3 of 3 expected blocks matched\n")) << device_->out();
    }
}

}  // namespace
