#include "tool/ToolRun.h"

#include "support/PcscService.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kqtest::Outcome;
using kqtest::PcscService;

namespace {

Outcome kqpcsc(const std::vector<std::string>& args)
{
    return kqtest::runTool("kqpcsc", args);
}

// The tool against a pcscd of its own with the virtual reader.
using Kqpcsc = kqtest::PcscServiceTest;

TEST_F(Kqpcsc, ListsTheReaders)
{
    const Outcome run = kqpcsc({"list"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Virtual PCD 00 00\nVirtual PCD 00 01\n");
}

TEST_F(Kqpcsc, ShowsTheCardAndItsAtr)
{
    EXPECT_EQ(kqpcsc({"status", PcscService::Reader}).out,
              "reader: Virtual PCD 00 00\ncard: absent\n");
    service_->insertCard(PcscService::Reader, "3B021450");
    const Outcome run = kqpcsc({"status", PcscService::Reader});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "reader: Virtual PCD 00 00\ncard: present\nstate: negotiable\n"
              "ATR: 3B 02 14 50\n"
              "  TS  3B  direct convention\n"
              "  T0  02  2 historical bytes\n"
              "  protocols: T=0\n"
              "  historical bytes: 14 50  \".P\"\n"
              "  TCK: absent (T=0 only)\n");
    const Outcome json = kqpcsc({"status", PcscService::Reader, "--json"});
    EXPECT_EQ(json.out,
              "{\"reader\": \"Virtual PCD 00 00\", \"present\": true, \"state\": \"negotiable\", "
              "\"atr\": \"3B021450\"}\n");
}

TEST_F(Kqpcsc, SendsEachApduAndSucceedsOnlyWhenEveryAnswerIs90xx)
{
    service_->insertCard(PcscService::Reader, "3B021450");
    const Outcome run = kqpcsc({"send", PcscService::Reader, "00 A4 04 00 02 3F 00", "0084000004"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "-> 00 A4 04 00 02 3F 00\n<- 3F 00  SW 90 00\n"
              "-> 00 84 00 00 04\n<- 01 02 03 04  SW 90 00\n");

    const Outcome failed = kqpcsc({"send", PcscService::Reader, "00000000", "0070 0000"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "-> 00 00 00 00\n<- SW 6D 00\n-> 00 70 00 00\n<- SW 90 00\n");
}

TEST_F(Kqpcsc, NamesAMissingReaderOrCard)
{
    const struct {
        std::string reader;
        std::string message;
    } cases[] = {
        {"No Such Reader",
         "kqpcsc: no reader named 'No Such Reader' ('kqpcsc list' shows the readers)\n"},
        {PcscService::Reader, "kqpcsc: no card in 'Virtual PCD 00 00'\n"},
    };
    for (const auto& c : cases) {
        const Outcome run = kqpcsc({"send", c.reader, "00A40400"});
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, c.message);
        EXPECT_EQ(run.out, "");
    }
}

// Runs on both platforms: the command line is checked before any service is asked.
TEST(KqpcscCommandLine, RefusesWhatItDoesNotUnderstand)
{
    const std::vector<std::vector<std::string>> lines = {
        {},
        {"list", "extra"},
        {"status"},
        {"send", "Reader"},
        {"send", "Reader", "00A404"},
        {"send", "Reader", "00A4040G"},
        {"send", "Reader", "00A40400F"},
        {"eject"},
        {"list", "--t0"},
        {"send", "Reader", "00A40400", "--keep-going"},
        {"run", "Reader"},
        {"wait", "Reader", "--timeout=5s"},
        {"wait", "Reader", "--timeout=-1"},
        {"watch", "Reader"},
        {"atr"},
        {"atr", "3B0G"}};
    for (const auto& args : lines) {
        const Outcome run = kqpcsc(args);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find("usage: kqpcsc list\n"), std::string::npos) << run.err;
    }
}

TEST(KqpcscCommandLine, NamesAnOptionItDoesNotKnow)
{
    const Outcome run = kqpcsc({"list", "--verbose"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("kqpcsc: '--verbose' is not an option of 'list'", 0), 0u) << run.err;
}

// Runs on both platforms: Wine's winscard has no service either.
TEST(KqpcscWithoutService, SaysTheServiceIsNotAvailable)
{
    kqtest::usePrivatePcscService();
#ifdef _WIN32
    const char* const code = "0x80100001";
#else
    const char* const code = "0x8010001D";
#endif
    const Outcome status = kqpcsc({"status", PcscService::Reader});
    EXPECT_EQ(status.status, 1);
    EXPECT_EQ(status.err,
              std::string("kqpcsc: the smart-card service is not available: SCard error: ") + code +
                  "\n");
    const Outcome list = kqpcsc({"list"});
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(list.err, "kqpcsc: no readers found\n");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"wait", PcscService::Reader, "--timeout=10"}, {"watch", "--json"}}) {
        const Outcome run = kqpcsc(args);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_EQ(run.err, status.err) << args[0];
    }
}

}  // namespace
