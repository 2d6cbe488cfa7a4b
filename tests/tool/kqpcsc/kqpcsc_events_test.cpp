// wait and watch while the virtual card is taken out and put back.
#include "tool/ToolRun.h"

#include "support/PcscService.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

using kqtest::PcscService;

namespace {

const char* const T1Atr = "3B8F8001804F0CA000000306030001000000006A";

// The next line of the running tool, its time stamp checked and cut off.
std::string nextEvent(kqtest::Process& tool)
{
    static const std::regex stamped(
        "(.*), \"time\": \"\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\"\\}\r?");
    std::string line;
    if (!tool.readLine(line, kqtest::runLimit)) {
        return "no line; error output: " + tool.err();
    }
    std::smatch match;
    return std::regex_match(line, match, stamped) ? match[1].str() + "}" : "unstamped: " + line;
}

using KqpcscEvents = kqtest::PcscServiceTest;

TEST_F(KqpcscEvents, WatchReportsWhatIsThereThenTheCardTakenOutAndPutBack)
{
    service_->insertCard(PcscService::Reader, "3B021450");
    const auto watch = kqtest::startTool("kqpcsc", {"watch", "--json"});
    EXPECT_EQ(nextEvent(*watch),
              "{\"event\": \"reader added\", \"reader\": \"Virtual PCD 00 00\"}");
    EXPECT_EQ(nextEvent(*watch),
              "{\"event\": \"reader added\", \"reader\": \"Virtual PCD 00 01\"}");
    EXPECT_EQ(nextEvent(*watch),
              "{\"event\": \"card inserted\", \"reader\": \"Virtual PCD 00 00\", "
              "\"atr\": \"3B021450\"}");
    service_->removeCard(PcscService::Reader);
    EXPECT_EQ(nextEvent(*watch),
              "{\"event\": \"card removed\", \"reader\": \"Virtual PCD 00 00\"}");
    service_->insertCard(PcscService::Reader, T1Atr);
    EXPECT_EQ(nextEvent(*watch), std::string("{\"event\": \"card inserted\", \"reader\": "
                                             "\"Virtual PCD 00 00\", \"atr\": \"") +
                                     T1Atr + "\"}");
}

TEST_F(KqpcscEvents, WatchEndsWithSuccessAtItsTimeOut)
{
    const kqtest::Outcome run = kqtest::runTool("kqpcsc", {"watch", "--timeout=100"});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::regex lines("(\\S+ reader added: Virtual PCD 00 0[01]\n){2}");
    EXPECT_TRUE(std::regex_match(run.out, lines)) << run.out;
}

TEST_F(KqpcscEvents, WaitReturnsOnceACardIsInsertedOrFailsAtItsTimeOut)
{
    service_->insertCard(PcscService::Reader, T1Atr);
    service_->removeCard(PcscService::Reader);
    const kqtest::Outcome late =
        kqtest::runTool("kqpcsc", {"wait", PcscService::Reader, "--timeout=100"});
    EXPECT_EQ(late.status, 1);
    EXPECT_EQ(late.out, "waiting for a card in 'Virtual PCD 00 00'\n");
    EXPECT_EQ(late.err, "kqpcsc: no card in 'Virtual PCD 00 00' within 100 ms\n");

    const auto wait = kqtest::startTool("kqpcsc", {"wait", PcscService::Reader, "--json"});
    EXPECT_EQ(nextEvent(*wait),
              "unstamped: {\"reader\": \"Virtual PCD 00 00\", \"waiting\": true}");
    service_->insertCard(PcscService::Reader, "3B021450");
    EXPECT_EQ(nextEvent(*wait),
              "{\"event\": \"card present\", \"reader\": \"Virtual PCD 00 00\", "
              "\"atr\": \"3B021450\"}");
    EXPECT_EQ(wait->wait(kqtest::runLimit), 0) << wait->err();
}

}  // namespace
