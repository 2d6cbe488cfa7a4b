#include "tool/ToolRun.h"
#include "tool/loader/ReportParsers.h"

namespace {

using QuorvexDevice = kqtest::ToolRun;

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

// The device reads a copied two-port log the way the loader does.
TEST_F(QuorvexDevice, ServesOnePortOfALogReadLeniently)
{
    ASSERT_NO_FATAL_FAILURE(run("IRP_MJ_WRITE\tLength 2: 01 02\r\nIRP_MJ_READ\tLength 1: 90\r\n",
                                "1  IRP_MJ_WRITE  Serial0  Length 1: 55\n"
                                "2  IRP_MJ_WRITE  Serial3  Length 2: 01 02\n"
                                "3  IRP_MJ_READ  Serial3  Length 1: 90\n",
                                {}, {"--lenient", "--port=Serial3"}));
    EXPECT_EQ(0, loaderStatus_);
    EXPECT_EQ(0, deviceStatus_) << device_->out();
    EXPECT_TRUE(deviceSaid("expect 2 bytes: match\nanswer 1 bytes: 90\n")) << device_->out();
}

TEST(QuorvexDeviceCommandLine, ShowsItsUsageWhenAnOptionIsMissing)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"-i=dump.log"}, {"-s=COM2", "--pty", "-i=dump.log"}}) {
        const kqtest::Outcome device = kqtest::runTool("QuorvexDevice", args);
        EXPECT_EQ(device.status, 1);
        EXPECT_EQ(device.out.rfind("usage: QuorvexDevice -i=<dump>", 0), 0u) << device.out;
    }
}

TEST(QuorvexDeviceCommandLine, NamesATimeoutThatIsNoWholeNumberOfMilliseconds)
{
    for (const std::string bad : {"abc", "0", "-5"}) {
        const kqtest::Outcome device =
            kqtest::runTool("QuorvexDevice", {"-s=COM2", "-i=dump.log", "-t=" + bad});
        EXPECT_EQ(device.status, 1);
        EXPECT_EQ(device.out, "ERROR: invalid timeout '" + bad +
                                  "': give a whole number of milliseconds above 0\n");
    }
}

// Both sides of a text log, the device with a mask for the request's second byte
// and a JSON report of what it expected.
TEST_F(QuorvexDevice, ReadsTextLogsWithMasksAndReportsAsJson)
{
    const std::string masks = dir_.writeFile("device.mask", "1: 41 ?? 0D\n");
    const std::string json = (dir_.path() / "device.json").string();
    ASSERT_NO_FATAL_FAILURE(run(
        kqtest::portMon({{"IRP_MJ_WRITE", "Length 3: AX."}, {"IRP_MJ_READ", "Length 4: OK.."}}),
        kqtest::portMon({{"IRP_MJ_WRITE", "Length 3: AT."}, {"IRP_MJ_READ", "Length 4: OK.."}}),
        {"--dot=0D", "--compare", "--fast"}, {"--dot=0D", "--mask=" + masks, "--json=" + json}));
    EXPECT_EQ(loaderStatus_, 0) << loader_->out();
    EXPECT_EQ(deviceStatus_, 0) << device_->out();
    const kqtest::Json report = kqtest::parseJson(kqtest::readFile(json));
    ASSERT_EQ(report["requests"].items.size(), 1u);
    const kqtest::Json& request = report["requests"][0];
    EXPECT_EQ(request["line"].number, 1);
    EXPECT_EQ(request["expected"].text, "41540D");
    EXPECT_EQ(request["got"].text, "41580D");
    EXPECT_EQ(request["mask"].text, "41 ?? 0D");
    EXPECT_EQ(request["verdict"].text, "match");
    EXPECT_EQ(report["summary"]["matched"].number, 1);
}

TEST(QuorvexDeviceCommandLine, NamesAnAnswerOptionItCannotUse)
{
    const struct {
        const char* option;
        const char* error;
    } cases[] = {
        {"--latency=soon",
         "invalid --latency 'soon': give 'recorded' or a whole number of milliseconds"},
        {"--default=6F00", "--default answers unknown requests: it needs --match"},
    };
    for (const auto& c : cases) {
        const kqtest::Outcome device =
            kqtest::runTool("QuorvexDevice", {"-s=COM2", "-i=dump.log", c.option});
        EXPECT_EQ(device.status, 1);
        EXPECT_EQ(device.out, std::string("ERROR: ") + c.error + "\n");
    }
}

}  // namespace
