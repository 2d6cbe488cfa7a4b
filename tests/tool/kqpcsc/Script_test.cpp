#include "kqpcsc/Script.h"
#include "kqpcsc/T0Exchange.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace quorvex;

namespace {

std::vector<ScriptStep> read(const std::string& text)
{
    std::istringstream in(text);
    return readScript(in);
}

TEST(Script, ReadsCommandsResetsAndExpectationsAndSkipsComments)
{
    const auto steps = read(
        "# a comment\r\n"
        "\t00 a4 04 00 02 3f00  =>  3F 00 9000 # trailing comment\r\n"
        "\n"
        "RESET\n"
        "0084000008=>????????????????90 00\n"
        "00 B0 00 00 00 04 00 => *\n"
        "00700000\n");
    ASSERT_EQ(steps.size(), 5u);
    EXPECT_EQ(steps[0].line, 2);
    EXPECT_EQ(steps[0].command, (Bytes{0x00, 0xA4, 0x04, 0x00, 0x02, 0x3F, 0x00}));
    EXPECT_EQ(steps[0].expectation.text(), "3F 00 90 00");
    EXPECT_TRUE(steps[1].reset);
    EXPECT_EQ(steps[1].line, 4);
    EXPECT_EQ(steps[2].expectation.text(), "?? ?? ?? ?? ?? ?? ?? ?? 90 00");
    EXPECT_EQ(steps[3].command.size(), 7u);
    EXPECT_EQ(steps[3].expectation.text(), "*");
    EXPECT_FALSE(steps[4].expects);
    EXPECT_EQ(steps[4].line, 7);
}

TEST(Script, AnExpectationMatchesByteForByteWithWildcards)
{
    const struct {
        const char* expectation;
        Bytes response;
        bool matches;
    } cases[] = {
        {"90 00", {0x90, 0x00}, true},
        {"90 00", {0x01, 0x90, 0x00}, false},
        {"?? 90 00", {0x01, 0x90, 0x00}, true},
        {"?? 90 00", {0x90, 0x00}, false},
        {"01 *", {0x01}, true},
        {"01 *", {0x01, 0x02, 0x90, 0x00}, true},
        {"01 *", {0x02, 0x90, 0x00}, false},
        {"*", {}, true},
    };
    for (const auto& c : cases) {
        const auto steps = read(std::string("00000000 => ") + c.expectation);
        EXPECT_EQ(steps.at(0).expectation.matches(c.response), c.matches) << c.expectation;
    }
}

TEST(T0Exchange, SetsLeOnEachShortCaseOnly)
{
    const struct {
        Bytes command;
        Bytes withLe;
    } cases[] = {
        {{0x00, 0xB2, 0x01, 0x04}, {0x00, 0xB2, 0x01, 0x04, 0x10}},
        {{0x00, 0xB2, 0x01, 0x04, 0x00}, {0x00, 0xB2, 0x01, 0x04, 0x10}},
        {{0x00, 0xA4, 0x04, 0x00, 0x01, 0x3F}, {0x00, 0xA4, 0x04, 0x00, 0x01, 0x3F, 0x10}},
        {{0x00, 0xA4, 0x04, 0x00, 0x01, 0x3F, 0x00}, {0x00, 0xA4, 0x04, 0x00, 0x01, 0x3F, 0x10}},
        // Extended, or no ISO case at all: left alone.
        {{0x00, 0xB0, 0x00, 0x00, 0x00, 0x04, 0x00}, {}},
        {{0x00, 0xA4, 0x04, 0x00, 0x05, 0x3F}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(withLe(c.command, 0x10), c.withLe);
    }
}

}  // namespace
