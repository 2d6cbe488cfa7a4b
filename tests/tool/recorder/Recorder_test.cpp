#include "support/PortPair.h"
#include "tool/ToolRun.h"

namespace {

TEST(QuorvexRecorder, NeverReplacesALogWithoutForce)
{
    kqtest::TempDir dir;
    const std::string log = dir.writeFile("session.log", "kept\r\n");
    const kqtest::Outcome recorder =
        kqtest::runTool("QuorvexRecorder", {"-s=" + kqtest::missingPortName(), "-o=" + log});
    EXPECT_EQ(recorder.status, 1);
    EXPECT_EQ(recorder.out, "ERROR: '" + log + "' exists; give --force to replace it\n");
    EXPECT_EQ(kqtest::readFile(log), "kept\r\n");
}

// A port that cannot be opened leaves even a log given with --force alone.
TEST(QuorvexRecorder, LeavesTheLogAloneWhenThePortDoesNotOpen)
{
    kqtest::TempDir dir;
    const std::string log = dir.writeFile("session.log", "kept\r\n");
    const kqtest::Outcome recorder = kqtest::runTool(
        "QuorvexRecorder", {"-s=" + kqtest::missingPortName(), "-o=" + log, "--force"});
    EXPECT_EQ(recorder.status, 1);
    EXPECT_EQ(recorder.out.rfind("ERROR: ", 0), 0u) << recorder.out;
    EXPECT_EQ(kqtest::readFile(log), "kept\r\n");
}

TEST(QuorvexRecorder, RefusesAnIncompleteCommandLineWithItsUsage)
{
    const struct {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{}, "serial name not set"},
        {{"-s=COM3"}, "output not set"},
        {{"-s=COM3", "-o=x.log", "--front=COM4", "--once"},
         "--once and --link need the pseudo-terminal: a second port shows no opening"},
        {{"-s=COM3", "-o=x.log", "--config=baud=fast"}, "NumebrParser - bad format"},
    };
    for (const auto& c : cases) {
        const kqtest::Outcome recorder = kqtest::runTool("QuorvexRecorder", c.args);
        EXPECT_EQ(recorder.status, 1);
        EXPECT_EQ(recorder.out.rfind("ERROR: " + c.error + "\nusage: QuorvexRecorder", 0), 0u)
            << recorder.out;
    }
}

// A mistyped option would otherwise look like a missing one.
TEST(QuorvexRecorder, NamesAnArgumentItDoesNotKnow)
{
    const kqtest::Outcome recorder =
        kqtest::runTool("QuorvexRecorder", {"-s=COM3", "--outptu=x.log"});
    EXPECT_EQ(recorder.status, 1);
    EXPECT_EQ(recorder.err.rfind("warning: unknown argument '--outptu=x.log' ignored", 0), 0u)
        << recorder.err;
}

}  // namespace
