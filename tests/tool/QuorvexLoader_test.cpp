#include "ToolRun.h"

#include <gtest/gtest.h>

#include <regex>
#include <utility>

namespace {

using kqtest::runLimit;

// A PortMon dump of these requests and their last fields, numbered from 1.
std::string portMon(std::initializer_list<std::pair<const char*, const char*>> requests)
{
    std::string text;
    int index = 0;
    for (const auto& r : requests)
        text += std::to_string(++index) + "\t0.00001234\tterm.exe:1234\t" + r.first +
                "\tSerial0\tSUCCESS\t" + r.second + "\r\n";
    return text;
}

using QuorvexLoader = kqtest::ToolRun;

TEST_F(QuorvexLoader, ReplaysTheExampleAgainstTheDevice)
{
    const std::string dump =
        "PortMon capture\r\n" + portMon({{"IRP_MJ_CREATE", "Options: Open"},
                                         {"IOCTL_SERIAL_PURGE", "Purge: TXCLEAR RXCLEAR"},
                                         {"IRP_MJ_WRITE", "Length 3: 0A 1B 2C"},
                                         {"IRP_MJ_READ", "Length 2: 90 00"}});
    // A repeated option takes its last value.
    ASSERT_NO_FATAL_FAILURE(run(dump, dump, {"--serial=nosuchport"}));
    EXPECT_EQ(0, loaderStatus_) << loader_->out() << loader_->err();
    EXPECT_EQ(0, deviceStatus_) << device_->out();
    EXPECT_EQ(kqtest::text(loader_->out()),
              "ACTION: purge\n"
              "ACTION: send 3 bytes\n"
              "ACTION: recv ( 2 ) 90 00 \n"
              "read: ( 2 ) 9000\n"
              "complete\n");
    EXPECT_EQ(kqtest::text(loader_->err()), "openDevice( '" + loaderPort_ + "' ) OK\n");
    EXPECT_GE(elapsed_.count(), 3 * 100 + 2000);
    EXPECT_TRUE(deviceSaid("expect 3 bytes: match")) << device_->out();
}

// The device answers 6 bytes for 4 expected, then 3 for 4 (left waiting), then
// one more byte during a recorded empty read, which then reads all 4 waiting.
TEST_F(QuorvexLoader, ReceiveWindowsReadOnlyWhatIsWaiting)
{
    ASSERT_NO_FATAL_FAILURE(run(portMon({{"IRP_MJ_WRITE", "Length 1: AA"},
                                         {"IRP_MJ_READ", "Length 4: 01 02 03 04"},
                                         {"IRP_MJ_WRITE", "Length 1: BB"},
                                         {"IRP_MJ_READ", "Length 4: 11 12 13 14"},
                                         {"IRP_MJ_WRITE", "Length 1: CC"},
                                         {"IRP_MJ_READ", "Length 0:"}}),
                                portMon({{"IRP_MJ_WRITE", "Length 1: AA"},
                                         {"IRP_MJ_READ", "Length 6: 01 02 03 04 05 06"},
                                         {"IRP_MJ_WRITE", "Length 1: BB"},
                                         {"IRP_MJ_READ", "Length 3: 11 12 13"},
                                         {"IRP_MJ_WRITE", "Length 1: CC"},
                                         {"IRP_MJ_READ", "Length 1: 14"}})));
    EXPECT_EQ(0, loaderStatus_) << loader_->out() << loader_->err();
    EXPECT_EQ(0, deviceStatus_) << device_->out();
    EXPECT_EQ(kqtest::text(loader_->out()),
              "ACTION: send 1 bytes\n"
              "ACTION: recv ( 4 ) 01 02 03 04 \n"
              "read: ( 6 ) 010203040506\n"
              "ACTION: send 1 bytes\n"
              "ACTION: recv ( 4 ) 11 12 13 14 \n"
              "ACTION: send 1 bytes\n"
              "ACTION: recv ( 0 ) \n"
              "read: ( 4 ) 11121314\n"
              "complete\n");
    EXPECT_GE(elapsed_.count(), 6 * 100 + 3 * 2000);
    // Polling every 100 ms costs next to nothing; spinning through a 2 s window would not.
    EXPECT_LT(loader_->cpuTime().count(), 1000);
}

TEST_F(QuorvexLoader, StopsAtANonHexPayloadAfterReplayingWhatCameBefore)
{
    ASSERT_NO_FATAL_FAILURE(run(portMon({{"IRP_MJ_WRITE", "Length 2: 01 02"},
                                         {"IRP_MJ_WRITE", "Length 2: 0G 00"},
                                         {"IRP_MJ_READ", "Length 1: 00"}}),
                                portMon({{"IRP_MJ_WRITE", "Length 2: 01 02"}})));
    EXPECT_EQ(1, loaderStatus_);
    EXPECT_EQ(kqtest::text(loader_->out()), "ACTION: send 2 bytes\nERROR: invalid hex char 'G'\n");
    EXPECT_EQ(0, deviceStatus_);
    EXPECT_TRUE(deviceSaid("expect 2 bytes: match")) << device_->out();
}

std::string substitute(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(QuorvexLoaderCommandLine, ReportsAndFails)
{
    const struct {
        const char* name;
        std::vector<std::string> args;  // "DUMP" stands for an existing dump, "MISSING" for none
        const char* out;                // regular expressions over the whole output
        const char* err;
    } cases[] = {
        {"no arguments", {}, "ERROR: serial name not set\nusage:\nnot implemented", ""},
        {"options are case-sensitive",
         {"-S=COM3", "-i=DUMP"},
         "ERROR: serial name not set\nusage:\nnot implemented",
         ""},
        {"no input", {"--serial=COM3"}, "ERROR: input not set\nusage:\nnot implemented", ""},
        {"missing dump", {"-s=COM3", "--input=MISSING"}, "ERROR: can't open 'MISSING'\n", ""},
        {"space instead of '='",
         {"--serial", "COM3", "--input=DUMP"},
         "ERROR: can't open ''\\. error = [0-9]+\n",
         "openDevice\\( '' \\) failed: [0-9]+\n"},
        {"no such device",
         {"-s=nosuchdevice7", "-i=DUMP"},
         "ERROR: can't open 'nosuchdevice7'\\. error = [0-9]+\n",
         "openDevice\\( 'nosuchdevice7' \\) failed: [0-9]+\n"},
    };
    kqtest::TempDir dir;
    const std::string dump = dir.writeFile("dump.log", portMon({{"IRP_MJ_WRITE", "Length 1: 01"}}));
    const std::string missing = (dir.path() / "missing.log").string();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args;
        for (const std::string& a : c.args)
            args.push_back(substitute(substitute(a, "DUMP", dump), "MISSING", missing));
        auto loader = kqtest::startTool("QuorvexLoader", args);
        EXPECT_EQ(loader->wait(runLimit), 1);
        const std::string out = substitute(kqtest::text(loader->out()), missing, "MISSING");
        const std::string err = kqtest::text(loader->err());
        EXPECT_TRUE(std::regex_match(out, std::regex(c.out))) << out;
        EXPECT_TRUE(std::regex_match(err, std::regex(c.err))) << err;
    }
}

}  // namespace
