#include "ToolRun.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <regex>

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

const milliseconds runLimit(60000);

#define SKIP_WITHOUT_DEVICE()                 \
    do {                                      \
        std::string reason;                   \
        if (!tooltest::canRunDevice(reason))  \
            GTEST_SKIP() << reason;           \
    } while (0)

std::string portMonLine(int index, const char* request, const char* other) {
    return std::to_string(index) + "\t0.00001234\tterm.exe:1234\t" + request +
           "\tSerial0\tSUCCESS\t" + other + "\r\n";
}

struct Replay {
    std::unique_ptr<kqtest::Process> loader;
    milliseconds elapsed;
};

// Runs the loader against the device until both have ended successfully.
Replay replay(tooltest::Device& device, const std::vector<std::string>& args) {
    const auto start = steady_clock::now();
    Replay result{tooltest::startLoader(args), milliseconds(0)};
    EXPECT_EQ(result.loader->wait(runLimit), 0) << result.loader->out() << result.loader->err();
    result.elapsed = std::chrono::duration_cast<milliseconds>(steady_clock::now() - start);
    EXPECT_EQ(device.process->wait(runLimit), 0) << device.process->out();
    return result;
}

std::string escapeRegex(const std::string& text) {
    return std::regex_replace(text, std::regex(R"([\\.^$|()\[\]{}*+?])"), R"(\$&)");
}

TEST(QuorvexLoader, ReplaysTheExampleAgainstTheDevice) {
    SKIP_WITHOUT_DEVICE();
    kqtest::TempDir dir;
    const std::string dump = dir.writeFile(
        "dump.log", "PortMon capture\r\n" + portMonLine(1, "IRP_MJ_CREATE", "Options: Open") +
                        portMonLine(2, "IOCTL_SERIAL_PURGE", "Purge: TXCLEAR RXCLEAR") +
                        portMonLine(3, "IRP_MJ_WRITE", "Length 3: 0A 1B 2C") +
                        portMonLine(4, "IRP_MJ_READ", "Length 2: 90 00"));
    tooltest::Device device = tooltest::startDevice(dump);
    ASSERT_FALSE(::testing::Test::HasFailure());

    // A repeated option takes its last value.
    const Replay run = replay(device, {"--serial=nosuchport", "-s=" + device.loaderPort, "-i=" + dump});

    EXPECT_EQ(tooltest::text(run.loader->out()),
              "ACTION: purge\n"
              "ACTION: send 3 bytes\n"
              "ACTION: recv ( 2 ) 90 00 \n"
              "read: ( 2 ) 9000\n"
              "complete\n");
    EXPECT_EQ(tooltest::text(run.loader->err()), "openDevice( '" + device.loaderPort + "' ) OK\n");
    EXPECT_GE(run.elapsed.count(), 3 * 100 + 2000);
    EXPECT_NE(tooltest::text(device.process->out()).find("expect 3 bytes: match"), std::string::npos)
        << device.process->out();
}

// The device answers 6 bytes for 4 expected, then 3 for 4 (left waiting), then
// one more byte during a recorded empty read, which then reads all 4 waiting.
TEST(QuorvexLoader, ReceiveWindowsReadOnlyWhatIsWaiting) {
    SKIP_WITHOUT_DEVICE();
    kqtest::TempDir dir;
    const std::string hostDump = dir.writeFile(
        "host.log", portMonLine(1, "IRP_MJ_WRITE", "Length 1: AA") +
                        portMonLine(2, "IRP_MJ_READ", "Length 4: 01 02 03 04") +
                        portMonLine(3, "IRP_MJ_WRITE", "Length 1: BB") +
                        portMonLine(4, "IRP_MJ_READ", "Length 4: 11 12 13 14") +
                        portMonLine(5, "IRP_MJ_WRITE", "Length 1: CC") +
                        portMonLine(6, "IRP_MJ_READ", "Length 0:"));
    const std::string deviceDump = dir.writeFile(
        "device.log", portMonLine(1, "IRP_MJ_WRITE", "Length 1: AA") +
                          portMonLine(2, "IRP_MJ_READ", "Length 6: 01 02 03 04 05 06") +
                          portMonLine(3, "IRP_MJ_WRITE", "Length 1: BB") +
                          portMonLine(4, "IRP_MJ_READ", "Length 3: 11 12 13") +
                          portMonLine(5, "IRP_MJ_WRITE", "Length 1: CC") +
                          portMonLine(6, "IRP_MJ_READ", "Length 1: 14"));
    tooltest::Device device = tooltest::startDevice(deviceDump);
    ASSERT_FALSE(::testing::Test::HasFailure());

    const Replay run = replay(device, {"-s=" + device.loaderPort, "-i=" + hostDump});

    EXPECT_EQ(tooltest::text(run.loader->out()),
              "ACTION: send 1 bytes\n"
              "ACTION: recv ( 4 ) 01 02 03 04 \n"
              "read: ( 6 ) 010203040506\n"
              "ACTION: send 1 bytes\n"
              "ACTION: recv ( 4 ) 11 12 13 14 \n"
              "ACTION: send 1 bytes\n"
              "ACTION: recv ( 0 ) \n"
              "read: ( 4 ) 11121314\n"
              "complete\n");
    EXPECT_GE(run.elapsed.count(), 6 * 100 + 3 * 2000);
    // Polling every 100 ms costs next to nothing; spinning through a 2 s window would not.
    EXPECT_LT(run.loader->cpuTime().count(), 1000);
}

TEST(QuorvexLoader, StopsAtANonHexPayloadAfterReplayingWhatCameBefore) {
    SKIP_WITHOUT_DEVICE();
    kqtest::TempDir dir;
    const std::string good = portMonLine(1, "IRP_MJ_WRITE", "Length 2: 01 02");
    const std::string hostDump = dir.writeFile(
        "host.log", good + portMonLine(2, "IRP_MJ_WRITE", "Length 2: 0G 00") +
                        portMonLine(3, "IRP_MJ_READ", "Length 1: 00"));
    tooltest::Device device = tooltest::startDevice(dir.writeFile("device.log", good));
    ASSERT_FALSE(::testing::Test::HasFailure());

    auto loader = tooltest::startLoader({"-s=" + device.loaderPort, "-i=" + hostDump});
    EXPECT_EQ(loader->wait(runLimit), 1);
    EXPECT_EQ(tooltest::text(loader->out()), "ACTION: send 2 bytes\nERROR: invalid hex char 'G'\n");
    EXPECT_EQ(device.process->wait(runLimit), 0);
    EXPECT_NE(tooltest::text(device.process->out()).find("expect 2 bytes: match"), std::string::npos)
        << device.process->out();
}

struct CommandLineCase {
    const char* name;
    std::vector<std::string> args;  // "DUMP" stands for an existing dump, "MISSING" for none
    const char* out;                // a regular expression over the whole output
    const char* err;
};

class QuorvexLoaderCommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(QuorvexLoaderCommandLine, ReportsAndFails) {
    const CommandLineCase& c = GetParam();
    kqtest::TempDir dir;
    const std::string dump = dir.writeFile("dump.log", portMonLine(1, "IRP_MJ_WRITE", "Length 1: 01"));
    const std::string missing = (dir.path() / "missing.log").string();
    std::vector<std::string> args;
    for (const auto& a : c.args)
        args.push_back(std::regex_replace(
            std::regex_replace(a, std::regex("DUMP"), dump), std::regex("MISSING"), missing));

    auto loader = tooltest::startLoader(args);
    EXPECT_EQ(loader->wait(runLimit), 1);
    const std::string out =
        std::regex_replace(tooltest::text(loader->out()), std::regex(escapeRegex(missing)), "MISSING");
    EXPECT_TRUE(std::regex_match(out, std::regex(c.out))) << out;
    const std::string err = tooltest::text(loader->err());
    EXPECT_TRUE(std::regex_match(err, std::regex(c.err))) << err;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, QuorvexLoaderCommandLine,
    ::testing::Values(
        CommandLineCase{"NoArguments", {}, "ERROR: serial name not set\nusage:\nnot implemented", ""},
        CommandLineCase{"WrongCase", {"-S=COM3", "-i=DUMP"},
                        "ERROR: serial name not set\nusage:\nnot implemented", ""},
        CommandLineCase{"NoInput", {"--serial=COM3"}, "ERROR: input not set\nusage:\nnot implemented",
                        ""},
        CommandLineCase{"MissingDump", {"-s=COM3", "--input=MISSING"},
                        "ERROR: can't open 'MISSING'\n", ""},
        CommandLineCase{"SpaceInsteadOfAssignment", {"--serial", "COM3", "--input=DUMP"},
                        "ERROR: can't open ''\\. error = [0-9]+\n",
                        "openDevice\\( '' \\) failed: [0-9]+\n"},
        CommandLineCase{"NoSuchDevice", {"-s=nosuchdevice7", "-i=DUMP"},
                        "ERROR: can't open 'nosuchdevice7'\\. error = [0-9]+\n",
                        "openDevice\\( 'nosuchdevice7' \\) failed: [0-9]+\n"}),
    [](const ::testing::TestParamInfo<CommandLineCase>& info) { return info.param.name; });

}  // namespace
