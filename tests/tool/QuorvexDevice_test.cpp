#include "ToolRun.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

const std::chrono::milliseconds runLimit(60000);

TEST(QuorvexDevice, ReportsWhatArrivedWhenItDiffersFromTheRecording) {
    std::string reason;
    if (!tooltest::canRunDevice(reason))
        GTEST_SKIP() << reason;
    kqtest::TempDir dir;
    const std::string recorded = dir.writeFile("device.log", "IRP_MJ_WRITE\tLength 2: 01 02\r\n");
    const std::string sent = dir.writeFile("host.log", "IRP_MJ_WRITE\tLength 2: 01 03\r\n");
    tooltest::Device device = tooltest::startDevice(recorded);
    ASSERT_FALSE(::testing::Test::HasFailure());

    auto loader = tooltest::startLoader({"-s=" + device.loaderPort, "-i=" + sent});
    EXPECT_EQ(loader->wait(runLimit), 0);
    EXPECT_EQ(device.process->wait(runLimit), 1);
    const std::string out = tooltest::text(device.process->out());
    EXPECT_EQ(out.substr(out.find('\n') + 1),
              "expect 2 bytes: MISMATCH expected 0102 received 0103\n"
              "summary: 0 of 1 expected blocks matched\n");
}

TEST(QuorvexDevice, ShowsItsUsageWhenAnOptionIsMissing) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"-i=dump.log"}, {"-s=COM2", "--pty", "-i=dump.log"}}) {
        kqtest::Process device(kqtest::programPath("QuorvexDevice"), args);
        EXPECT_EQ(device.wait(runLimit), 1);
        EXPECT_EQ(device.out().rfind("usage: QuorvexDevice -i=<dump>", 0), 0u) << device.out();
    }
}

TEST(QuorvexDevice, NamesATimeoutThatIsNoWholeNumberOfMilliseconds) {
    for (const char* bad : {"abc", "0", "-5"}) {
        kqtest::Process device(kqtest::programPath("QuorvexDevice"),
                               {"-s=COM2", "-i=dump.log", std::string("-t=") + bad});
        EXPECT_EQ(device.wait(runLimit), 1);
        EXPECT_EQ(tooltest::text(device.out()),
                  "ERROR: invalid timeout '" + std::string(bad) + "': give a whole number of milliseconds above 0\n");
    }
}

}  // namespace
