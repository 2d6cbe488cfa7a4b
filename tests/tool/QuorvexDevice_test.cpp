#include "ToolRun.h"

namespace {

using QuorvexDevice = kqtest::ToolRun;
using kqtest::runLimit;

TEST_F(QuorvexDevice, ReportsWhatArrivedWhenItDiffersFromTheRecording)
{
    ASSERT_NO_FATAL_FAILURE(
        run("IRP_MJ_WRITE\tLength 2: 01 03\r\n", "IRP_MJ_WRITE\tLength 2: 01 02\r\n"));
    EXPECT_EQ(loaderStatus_, 0);
    EXPECT_EQ(deviceStatus_, 1);
    const std::string out = kqtest::text(device_->out());
    EXPECT_EQ(out.substr(out.find('\n') + 1),
              "expect 2 bytes: MISMATCH expected 0102 received 0103\n"
              "summary: 0 of 1 expected blocks matched\n");
}

TEST(QuorvexDeviceCommandLine, ShowsItsUsageWhenAnOptionIsMissing)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"-i=dump.log"}, {"-s=COM2", "--pty", "-i=dump.log"}}) {
        auto device = kqtest::startTool("QuorvexDevice", args);
        EXPECT_EQ(device->wait(runLimit), 1);
        EXPECT_EQ(device->out().rfind("usage: QuorvexDevice -i=<dump>", 0), 0u) << device->out();
    }
}

TEST(QuorvexDeviceCommandLine, NamesATimeoutThatIsNoWholeNumberOfMilliseconds)
{
    for (const std::string bad : {"abc", "0", "-5"}) {
        auto device = kqtest::startTool("QuorvexDevice", {"-s=COM2", "-i=dump.log", "-t=" + bad});
        EXPECT_EQ(device->wait(runLimit), 1);
        EXPECT_EQ(
            kqtest::text(device->out()),
            "ERROR: invalid timeout '" + bad + "': give a whole number of milliseconds above 0\n");
    }
}

}  // namespace
