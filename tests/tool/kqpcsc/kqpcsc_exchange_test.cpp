// send --t0, extended lengths and run: against the private pcscd's virtual card.
#include "tool/ToolRun.h"

#include "support/PcscService.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <kq/StringUtils.h>

#include <string>
#include <vector>

using kqtest::Outcome;
using kqtest::PcscService;

namespace {

Outcome kqpcsc(const std::vector<std::string>& args)
{
    return kqtest::runTool("kqpcsc", args);
}

// The virtual card's data: count bytes counting from first (wrapping after FF), spaced.
std::string counting(int first, int count)
{
    std::string text;
    for (int i = first; i < first + count; ++i) {
        text += kq::format("%s%02X", text.empty() ? "" : " ", i & 0xFF);
    }
    return text;
}

class KqpcscCard : public kqtest::PcscServiceTest {
protected:
    void SetUp() override
    {
        kqtest::PcscServiceTest::SetUp();
        if (service_) {
            service_->insertCard(PcscService::Reader, "3B021450");
        }
    }

    kqtest::TempDir dir_;
};

const char* const Script =
    "# select, then a challenge of any 8 bytes\n"
    "00 A4 04 00 02 3F 00 => 3F 00 90 00\n"
    "\n"
    "00 84 00 00 08 => ?? ?? ?? ?? ?? ?? ?? ?? 90 00   # any challenge\n"
    "reset\n"
    "00 00 00 00 => 90 00\n"
    "00 84 00 00 04 => 01 02 *\n"
    "00 70 00 00\n";

// send follows GET RESPONSE rounds and 6Cxx with --t0 only, reads an extended
// length; run stops at the first expectation not met unless asked to go on.
TEST_F(KqpcscCard, SendAndRunShowEachExchange)
{
    const std::string compact = "0102030405060708090A0B0C0D0E0F10",
                      script = dir_.writeFile("s.apdu", Script);
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out, err = "";
    } cases[] = {
        {{"send", PcscService::Reader, "00CA0258", "--t0"},
         0,
         "-> 00 CA 02 58\n<- SW 61 00\n-> 00 C0 00 00 00\n<- " + counting(1, 256) +
             "  SW 61 00\n-> 00 C0 00 00 00\n<- " + counting(257, 256) +
             "  SW 61 58\n-> 00 C0 00 00 58\n<- " + counting(513, 88) +
             "  SW 90 00\n<= " + counting(1, 600) + "  SW 90 00\n"},
        {{"send", PcscService::Reader, "00 B2 01 04 00", "--t0", "--json"},
         0,
         "{\"command\": \"00B2010400\", \"response\": \"\", \"sw\": \"6C10\"}\n"
         "{\"command\": \"00B2010410\", \"response\": \"" +
             compact + "\", \"sw\": \"9000\"}\n{\"command\": \"00B2010400\", \"response\": \"" +
             compact + "\", \"sw\": \"9000\", \"joined\": true}\n"},
        // Without --t0 only the typed bytes go to the card.
        {{"send", PcscService::Reader, "00CA0010", "00B2010400"},
         1,
         "-> 00 CA 00 10\n<- SW 61 10\n-> 00 B2 01 04 00\n<- SW 6C 10\n"},
        {{"send", PcscService::Reader, "00 B0 00 00 00 04 00"},
         0,
         "-> 00 B0 00 00 00 04 00\n<- " + counting(1, 1024) + "  SW 90 00\n"},
        {{"run", PcscService::Reader, script},
         1,
         "-> 00 A4 04 00 02 3F 00\n<- 3F 00  SW 90 00\nline 2: pass\n"
         "-> 00 84 00 00 08\n<- 01 02 03 04 05 06 07 08  SW 90 00\nline 4: pass\n"
         "line 5: reset\n"
         "-> 00 00 00 00\n<- SW 6D 00\nline 6: fail, expected 90 00\n",
         "expectation not met on line 6\n"},
        {{"run", PcscService::Reader, script, "--keep-going", "--json"},
         1,
         "{\"command\": \"00A40400023F00\", \"response\": \"3F00\", \"sw\": \"9000\", "
         "\"line\": 2, \"verdict\": \"pass\"}\n"
         "{\"command\": \"0084000008\", \"response\": \"0102030405060708\", \"sw\": "
         "\"9000\", \"line\": 4, \"verdict\": \"pass\"}\n"
         "{\"line\": 5, \"reset\": true}\n"
         "{\"command\": \"00000000\", \"response\": \"\", \"sw\": \"6D00\", \"line\": 6, "
         "\"verdict\": \"fail\"}\n"
         "{\"command\": \"0084000004\", \"response\": \"01020304\", \"sw\": \"9000\", "
         "\"line\": 7, \"verdict\": \"pass\"}\n"
         "{\"command\": \"00700000\", \"response\": \"\", \"sw\": \"9000\", \"line\": 8}\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[2]);
        const Outcome run = kqpcsc(c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out, c.out);
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
}

TEST_F(KqpcscCard, RunWithT0JudgesTheJoinedResponse)
{
    const std::string file = dir_.writeFile("t0.apdu", "00CA0120 => 01 02 * # 288 bytes\n");
    const Outcome run = kqpcsc({"run", PcscService::Reader, file, "--t0"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("<= " + counting(1, 288) + "  SW 90 00\nline 1: pass\n"),
              std::string::npos)
        << run.out;
}

// Runs on both platforms: the script is read before any service is asked.
TEST(KqpcscScript, NamesTheLineItCannotRead)
{
    const struct {
        const char* script;
        const char* message;
    } cases[] = {
        {"00A40400\n00 A4 0G 00\n", ":2: '00 A4 0G 00' is not a command APDU"},
        {"# fine\n\n00A40400 => 90 0\n", ":3: '0' is not a byte"},
        {"00A40400 => * 90 00\n", ":1: '*' ends an expectation"},
        {"00A40400 =>\n", ":1: nothing expected after '=>'"},
        {"00A4\n", ":1: '00A4' is not a command APDU"},
    };
    kqtest::TempDir dir;
    for (const auto& c : cases) {
        const std::string file = dir.writeFile("bad.apdu", c.script);
        const Outcome run = kqpcsc({"run", "No Such Reader", file});
        EXPECT_EQ(run.status, 2) << c.script;
        EXPECT_NE(run.err.find(file + c.message), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

}  // namespace
