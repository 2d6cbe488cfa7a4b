#include "kqpcsc/Atr.h"
#include "common/Hex.h"
#include "tool/ToolRun.h"

#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quorvex;

namespace {

std::vector<unsigned char> bytes(const std::string& text)
{
    std::vector<unsigned char> result;
    EXPECT_TRUE(parseHexBytes(text, result)) << text;
    return result;
}

std::string lines(const Atr& atr)
{
    std::string text;
    for (const auto& line : describeAtr(atr)) {
        text += line + "\n";
    }
    return text;
}

TEST(Atr, DecodesTheProtocolsTheInterfaceBytesOfferAndChecksTck)
{
    const struct {
        const char* atr;
        const char* decoded;
    } cases[] = {
        // T=0 only: no TD1, no TCK.
        {"3B 02 14 50",
         "TS  3B  direct convention\nT0  02  2 historical bytes\nprotocols: T=0\n"
         "historical bytes: 14 50  \".P\"\nTCK: absent (T=0 only)\n"},
        // T=0 and T=1, in the inverse convention, with TA1, TC1 and the T=1 bytes after TD2.
        {"3F D2 95 80 80 31 70 45 41 42 40",
         "TS  3F  inverse convention\nT0  D2  2 historical bytes\n"
         "TA1 95  Fi=512, f max 5 MHz, Di=16\nTC1 80  extra guard time N=128\nTD1 80  T=0\n"
         "TD2 31  T=1\nTA3 70  IFSC 112\nTB3 45  BWI 4, CWI 5\n"
         "protocols: T=0 T=1\nhistorical bytes: 41 42  \"AB\"\nTCK: 40 valid\n"},
        // T=15 global bytes (clock stop and class, SPU), and a wrong TCK.
        {"3B 80 80 3F C7 00 72",
         "TS  3B  direct convention\nT0  80  0 historical bytes\nTD1 80  T=0\n"
         "TD2 3F  T=15 (global bytes follow)\nTA3 C7  clock stop no preference, class A B C\n"
         "TB3 00  SPU not used\nprotocols: T=0\nhistorical bytes: none\n"
         "TCK: 72 wrong, F8 expected\n"},
    };
    for (const auto& c : cases) {
        const Atr atr = decodeAtr(bytes(c.atr));
        EXPECT_EQ(lines(atr), c.decoded) << c.atr;
    }
}

TEST(Atr, NamesWhatMakesAnAtrMalformed)
{
    const struct {
        const char* atr;
        const char* message;
    } cases[] = {
        {"", "the ATR is empty"},
        {"3C 00", "TS is 3C: 3B (direct convention) or 3F (inverse) expected"},
        {"3B", "the ATR ends after TS: T0 is missing"},
        {"3B 90 11", "T0 announces TD1, but the ATR ends after 3 bytes"},
        {"3B 80 71 11", "TD1 announces TB2, but the ATR ends after 4 bytes"},
        {"3B 85 01 41 42", "T0 announces 5 historical bytes, only 2 follow"},
        // Truncated: T=1 is offered, the check byte is missing.
        {"3B 8F 80 01 80 4F 0C A0 00 00 03 06 03 00 01 00 00 00 00",
         "TCK is missing: a protocol other than T=0 is offered"},
        {"3B 00 00", "1 byte more than T0 and the TDi announce"},
        {"3B 0F 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
         "00 00 00 00 00 00 00",
         "an ATR has 33 bytes at most, this one 36"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kqtest::thrownBy([&] { decodeAtr(bytes(c.atr)); }),
                  std::string("other: ") + c.message)
            << c.atr;
    }
}

// Runs on both platforms: no service is asked.
TEST(KqpcscAtr, ExitsWithFailureForAWrongCheckByteOrAMalformedAtr)
{
    const struct {
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {{"atr", "3B021450", "--json"},
         0,
         "{\"atr\": \"3B021450\", \"convention\": \"direct\", \"protocols\": \"T=0\", "
         "\"bytes\": [{\"byte\": \"TS\", \"value\": \"3B\", \"meaning\": \"direct convention\"}, "
         "{\"byte\": \"T0\", \"value\": \"02\", \"meaning\": \"2 historical bytes\"}], "
         "\"historical\": \"1450\", \"historicalText\": \".P\"}\n",
         ""},
        {{"atr", "3B 80 80 3F C7 00 72"}, 1, nullptr, ""},
        {{"atr", "3B 85 01 41 42"},
         1,
         "",
         "kqpcsc: not a valid ATR: T0 announces 5 historical bytes, only 2 follow\n"},
        {{"atr", "3B 0"}, 2, "", nullptr},
    };
    for (const auto& c : cases) {
        const kqtest::Outcome run = kqtest::runTool("kqpcsc", c.args);
        EXPECT_EQ(run.status, c.status) << c.args[1];
        if (c.out) {
            EXPECT_EQ(run.out, c.out);
        }
        if (c.err) {
            EXPECT_EQ(run.err, c.err);
        }
    }
}

}  // namespace
