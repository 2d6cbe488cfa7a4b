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
};

TEST_F(KqpcscCard, T0FollowsGetResponseRoundsAndJoinsTheData)
{
    const Outcome run = kqpcsc({"send", PcscService::Reader, "00CA0258", "--t0"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "-> 00 CA 02 58\n<- SW 61 00\n"
              "-> 00 C0 00 00 00\n<- " +
                  counting(1, 256) +
                  "  SW 61 00\n"
                  "-> 00 C0 00 00 00\n<- " +
                  counting(257, 256) +
                  "  SW 61 58\n"
                  "-> 00 C0 00 00 58\n<- " +
                  counting(513, 88) +
                  "  SW 90 00\n"
                  "<= " +
                  counting(1, 600) + "  SW 90 00\n");
}

TEST_F(KqpcscCard, T0SendsTheCommandAgainWithTheLengthOf6Cxx)
{
    const Outcome run = kqpcsc({"send", PcscService::Reader, "00 B2 01 04 00", "--t0", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string compact = "0102030405060708090A0B0C0D0E0F10";
    EXPECT_EQ(run.out,
              "{\"command\": \"00B2010400\", \"response\": \"\", \"sw\": \"6C10\"}\n"
              "{\"command\": \"00B2010410\", \"response\": \"" +
                  compact +
                  "\", \"sw\": \"9000\"}\n"
                  "{\"command\": \"00B2010400\", \"response\": \"" +
                  compact + "\", \"sw\": \"9000\", \"joined\": true}\n");
}

// Without --t0 only the typed bytes go to the card.
TEST_F(KqpcscCard, WithoutT0TheAnswersStayAsTheCardGaveThem)
{
    const Outcome run = kqpcsc({"send", PcscService::Reader, "00CA0010", "00B2010400"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "-> 00 CA 00 10\n<- SW 61 10\n-> 00 B2 01 04 00\n<- SW 6C 10\n");
}

TEST_F(KqpcscCard, ReadsAnExtendedLengthResponse)
{
    const Outcome run = kqpcsc({"send", PcscService::Reader, "00 B0 00 00 00 04 00"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "-> 00 B0 00 00 00 04 00\n<- " + counting(1, 1024) + "  SW 90 00\n");
}

const char* const Script =
    "# select, then a challenge of any 8 bytes\n"
    "00 A4 04 00 02 3F 00 => 3F 00 90 00\n"
    "\n"
    "00 84 00 00 08 => ?? ?? ?? ?? ?? ?? ?? ?? 90 00   # any challenge\n"
    "reset\n"
    "00 00 00 00 => 90 00\n"
    "00 84 00 00 04 => 01 02 *\n"
    "00 70 00 00\n";

TEST_F(KqpcscCard, RunStopsAtTheFirstExpectationNotMet)
{
    kqtest::TempDir dir;
    const Outcome run = kqpcsc({"run", PcscService::Reader, dir.writeFile("s.apdu", Script)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "-> 00 A4 04 00 02 3F 00\n<- 3F 00  SW 90 00\nline 2: pass\n"
              "-> 00 84 00 00 08\n<- 01 02 03 04 05 06 07 08  SW 90 00\nline 4: pass\n"
              "line 5: reset\n"
              "-> 00 00 00 00\n<- SW 6D 00\nline 6: fail, expected 90 00\n");
    EXPECT_NE(run.err.find("expectation not met on line 6\n"), std::string::npos) << run.err;
}

TEST_F(KqpcscCard, RunKeepsGoingWhenAskedAndPrintsJson)
{
    kqtest::TempDir dir;
    const Outcome run = kqpcsc(
        {"run", PcscService::Reader, dir.writeFile("s.apdu", Script), "--keep-going", "--json"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "{\"command\": \"00A40400023F00\", \"response\": \"3F00\", \"sw\": \"9000\", "
              "\"line\": 2, \"verdict\": \"pass\"}\n"
              "{\"command\": \"0084000008\", \"response\": \"0102030405060708\", \"sw\": "
              "\"9000\", \"line\": 4, \"verdict\": \"pass\"}\n"
              "{\"line\": 5, \"reset\": true}\n"
              "{\"command\": \"00000000\", \"response\": \"\", \"sw\": \"6D00\", \"line\": 6, "
              "\"verdict\": \"fail\"}\n"
              "{\"command\": \"0084000004\", \"response\": \"01020304\", \"sw\": \"9000\", "
              "\"line\": 7, \"verdict\": \"pass\"}\n"
              "{\"command\": \"00700000\", \"response\": \"\", \"sw\": \"9000\", \"line\": 8}\n");
}

TEST_F(KqpcscCard, RunWithT0JudgesTheJoinedResponse)
{
    kqtest::TempDir dir;
    const std::string file = dir.writeFile("t0.apdu", "00CA0120 => 01 02 * # 288 bytes\n");
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
