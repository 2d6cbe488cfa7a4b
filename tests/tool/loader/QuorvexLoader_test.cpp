#include "tool/ToolRun.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <utility>

namespace {

using kqtest::portMon;

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

std::string substitute(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(QuorvexLoaderCommandLine, ReportsAndFails)
{
    const std::string textLogHint =
        ": if the log was saved without hex display, give --dot=HH \\(HH the byte a '\\.' stands "
        "for in a send, e\\.g\\. --dot=0D\\)\n";
    const struct {
        const char* name;
        std::vector<std::string> args;  // "DUMP" stands for an existing dump, "MISSING" for none
        std::string out;                // regular expressions over the whole output
        const char* err;
    } cases[] = {
        {"no arguments", {}, "ERROR: serial name not set\nusage:\nnot implemented", ""},
        {"options are case-sensitive",
         {"-S=COM3", "-i=DUMP"},
         "ERROR: serial name not set\nusage:\nnot implemented",
         "warning: unknown argument '-S=COM3' ignored \\(QuorvexLoader --help lists the "
         "options\\)\n"},
        {"no input", {"--serial=COM3"}, "ERROR: input not set\nusage:\nnot implemented", ""},
        {"missing dump", {"-s=COM3", "--input=MISSING"}, "ERROR: can't open 'MISSING'\n", ""},
        {"space instead of '='",
         {"--serial", "COM3", "--input=DUMP"},
         "ERROR: can't open ''\\. error = [0-9]+\n",
         "warning: unknown argument 'COM3' ignored .*\nopenDevice\\( '' \\) failed: [0-9]+\n"},
        {"bad payload: nothing is sent, the port is not opened",
         {"-s=nosuchdevice7", "-i=BAD"},
         "ERROR: invalid hex char 'G' at line 2" + textLogHint,
         ""},
        {"bad payload, read leniently",
         {"-s=nosuchdevice7", "-i=BAD", "--lenient"},
         "ERROR: invalid hex char 'G' at line 2" + textLogHint,
         ""},
        {"a mistyped option is named, and the run goes on without it",
         {"-s=nosuchdevice7", "-i=DUMP", "--compre", "-serial=COM3"},
         "ERROR: can't open 'nosuchdevice7'\\. error = [0-9]+\n",
         "warning: unknown argument '--compre' ignored \\(QuorvexLoader --help lists the "
         "options\\)\nwarning: unknown argument '-serial=COM3' ignored .*\n"
         "openDevice\\( 'nosuchdevice7' \\) failed: [0-9]+\n"},
        {"a malformed mask line is named before the port opens",
         {"-s=nosuchdevice7", "-i=DUMP", "--mask=BADMASK"},
         "ERROR: mask file '.*' line 3: 'X1' is neither a hex byte nor \\?\\?\n",
         ""},
        {"learning needs several runs",
         {"-s=nosuchdevice7", "-i=DUMP", "--learn-masks=MISSING"},
         "ERROR: --learn-masks needs --repeat=N with N of 2 or more\n",
         ""},
        {"a report needs a file name",
         {"-s=nosuchdevice7", "-i=DUMP", "--json"},
         "ERROR: --json needs a file name: --json=FILE\n",
         ""},
        {"a dot byte is two hex digits",
         {"-s=nosuchdevice7", "-i=DUMP", "--dot=CR"},
         "ERROR: invalid --dot 'CR': give the byte a '\\.' stands for as two hex digits, e\\.g\\. "
         "--dot=0D\n",
         ""},
        {"invalid window",
         {"-s=COM3", "-i=DUMP", "--window=soon"},
         "ERROR: invalid --window 'soon': give a whole number of ms\n",
         ""},
        {"invalid config",
         {"-s=COM3", "-i=DUMP", "--config=baud=fast"},
         "ERROR: invalid --config 'baud=fast': NumebrParser - bad format\n",
         ""},
        {"no such device",
         {"-s=nosuchdevice7", "-i=DUMP"},
         "ERROR: can't open 'nosuchdevice7'\\. error = [0-9]+\n",
         "openDevice\\( 'nosuchdevice7' \\) failed: [0-9]+\n"},
    };
    kqtest::TempDir dir;
    const std::string dump = dir.writeFile("dump.log", portMon({{"IRP_MJ_WRITE", "Length 1: 01"}}));
    const std::string missing = (dir.path() / "missing.log").string();
    const std::string bad = dir.writeFile(
        "bad.log",
        portMon({{"IRP_MJ_WRITE", "Length 2: 01 02"}, {"IRP_MJ_WRITE", "Length 2: 0G 00"}}));
    const std::string badMask = dir.writeFile("bad.mask", "# masks\n1: 90 ?? *\n2: X1\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args;
        for (const std::string& a : c.args) {
            args.push_back(
                substitute(substitute(substitute(substitute(a, "DUMP", dump), "MISSING", missing),
                                      "BADMASK", badMask),
                           "BAD", bad));
        }
        const kqtest::Outcome loader = kqtest::runTool("QuorvexLoader", args);
        EXPECT_EQ(loader.status, 1);
        const std::string out = substitute(loader.out, missing, "MISSING");
        const std::string& err = loader.err;
        EXPECT_TRUE(std::regex_match(out, std::regex(c.out))) << out;
        EXPECT_TRUE(std::regex_match(err, std::regex(c.err))) << err;
    }
}

// Each program takes --help as an option of its own, not as a stray argument.
TEST(QuorvexLoaderCommandLine, HelpShowsTheUsage)
{
    for (const char* program : {"QuorvexLoader", "QuorvexDevice", "QuorvexRecorder"}) {
        const kqtest::Outcome run = kqtest::runTool(program, {"--help"});
        EXPECT_EQ(run.status, 0) << program;
        EXPECT_EQ(run.out.rfind(std::string("usage: ") + program + " -", 0), 0u) << run.out;
        EXPECT_EQ(run.err, "") << program;
    }
}

// --check needs no port and says what the replay would do.
TEST(QuorvexLoaderCommandLine, CheckSummarizesTheDump)
{
    const struct {
        const char* name;
        std::string dump;
        std::vector<std::string> args;
        int status;
        const char* out;
    } cases[] = {
        {"sound dump",
         portMon({{"IOCTL_SERIAL_PURGE", ""},
                  {"IRP_MJ_WRITE", "Length 2: 0A 1B"},
                  {"IRP_MJ_READ", "Length 1: 90"}}),
         {},
         0,
         "line 1: purge\n"
         "line 2: send 2 bytes 0A 1B \n"
         "line 3: recv 1 bytes 90 \n"
         "sends: 1 (2 bytes), reads: 1 (1 bytes), purges: 1\n"
         "lines not understood: 0\n"
         "ports: Serial0\n"
         "payloads shorter than their length: 0\n"
         "check: no problems found\n"},
        {"problems: a line not understood, a cut payload, two ports",
         portMon({{"IRP_MJ_READ", "Length 3: 01"}}) + "2  IRP_MJ_WRITE  Serial3  Length 1: 02\n" +
             "3\tIRP_MJ_WRITE\tSerial3\tSUCCESS\tLength 1: 03\n",
         {},
         1,
         "line 1: recv 1 bytes 01 (Length 3, shown 1)\n"
         "line 3: send 1 bytes 03 \n"
         "sends: 1 (1 bytes), reads: 1 (1 bytes), purges: 0\n"
         "lines not understood: 1, the first is line 2\n"
         "ports: Serial0 Serial3\n"
         "payloads shorter than their length: 1, the first is line 1\n"
         "check: 3 problems found\n"},
        {"one port, leniently",
         portMon({{"IRP_MJ_READ", "Length 1: 01"}}) + "2  IRP_MJ_WRITE  Serial3  Length 1: 02\n",
         {"--lenient", "--port=Serial3"},
         0,
         "line 2: send 1 bytes 02 \n"
         "sends: 1 (1 bytes), reads: 0 (0 bytes), purges: 0\n"
         "lines not understood: 0\n"
         "ports: Serial0 Serial3\n"
         "payloads shorter than their length: 0\n"
         "check: no problems found\n"},
        {"bad payload",
         portMon({{"IRP_MJ_WRITE", "Length 1: 0G"}}),
         {},
         1,
         "ERROR: invalid hex char 'G' at line 1: if the log was saved without hex display, give "
         "--dot=HH (HH the byte a '.' stands for in a send, e.g. --dot=0D)\n"},
    };
    kqtest::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), {"--check", "-i=" + dir.writeFile("dump.log", c.dump)});
        const kqtest::Outcome loader = kqtest::runTool("QuorvexLoader", args);
        EXPECT_EQ(loader.status, c.status);
        EXPECT_EQ(loader.out, c.out);
    }
}

// Copied with spaces for tabs, the log names requests the strict reading does not
// take: the replay says so instead of passing for a success. The device has
// nothing to wait for and serves the host from its opening to its closing.
TEST_F(QuorvexLoader, WarnsAboutRequestLinesItDidNotUnderstand)
{
    ASSERT_NO_FATAL_FAILURE(
        run("1  0.1  t.exe  IRP_MJ_WRITE  Serial0  SUCCESS  Length 1: 01\n"
            "2  0.2  t.exe  IRP_MJ_READ  Serial0  SUCCESS  Length 1: 02\n",
            ""));
    EXPECT_EQ(0, loaderStatus_);
    EXPECT_EQ(kqtest::text(loader_->out()), "complete\n");
    EXPECT_EQ(kqtest::text(loader_->err()),
              "openDevice( '" + loaderPort_ +
                  "' ) OK\n"
                  "warning: 2 lines name a request but were not understood, the first is line 1; "
                  "nothing was replayed (--lenient reads more log variants)\n");
    EXPECT_EQ(0, deviceStatus_) << device_->out();
}

// Lines that say whether each read window got what the log recorded.
std::string verdicts(const std::string& out)
{
    std::string result;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("match", 0) == 0 || line.rfind("MISMATCH", 0) == 0 ||
            line.rfind("compare:", 0) == 0) {
            result += line + "\n";
        }
    }
    return result;
}

// A device that answers right, in two parts for two recorded reads, wrong, and
// not at all; the fast schedule ends each window once the bytes are in.
TEST_F(QuorvexLoader, ComparesWhatTheDeviceAnswers)
{
    ASSERT_NO_FATAL_FAILURE(run(portMon({{"IRP_MJ_WRITE", "Length 1: 01"},
                                         {"IRP_MJ_READ", "Length 2: A1 A2"},
                                         {"IRP_MJ_WRITE", "Length 1: 02"},
                                         {"IRP_MJ_READ", "Length 1: B1"},
                                         {"IRP_MJ_READ", "Length 0:"},
                                         {"IRP_MJ_READ", "Length 4: B2 B3"},
                                         {"IRP_MJ_WRITE", "Length 1: 03"},
                                         {"IRP_MJ_READ", "Length 1: C1"},
                                         {"IRP_MJ_WRITE", "Length 1: 04"},
                                         {"IRP_MJ_READ", "Length 1: D1"}}),
                                portMon({{"IRP_MJ_WRITE", "Length 1: 01"},
                                         {"IRP_MJ_READ", "Length 2: A1 A2"},
                                         {"IRP_MJ_WRITE", "Length 1: 02"},
                                         {"IRP_MJ_READ", "Length 3: B1 B2 B3"},
                                         {"IRP_MJ_READ", "Length 2: B4 B5"},
                                         {"IRP_MJ_WRITE", "Length 1: 03"},
                                         {"IRP_MJ_READ", "Length 1: C9"},
                                         {"IRP_MJ_WRITE", "Length 1: 04"}}),
                                {"--compare", "--fast", "--window=1000"}));
    EXPECT_EQ(2, loaderStatus_) << loader_->out() << loader_->err();
    EXPECT_EQ(verdicts(kqtest::text(loader_->out())),
              "match\n"
              "match (the log shows 3 of 5 bytes; compared on those)\n"
              "MISMATCH expected C1 got C9\n"
              "MISMATCH expected D1 got \n"
              "compare: 2 of 4 blocks matched\n");
    EXPECT_EQ(0, deviceStatus_) << device_->out();
}

}  // namespace
