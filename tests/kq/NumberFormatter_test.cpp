#include <kq/NumberFormatter.h>

#include <gtest/gtest.h>

#include "support/Thrown.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

namespace nf = kq::NumberFormatter;
using Bytes = std::vector<unsigned char>;

std::string dump(const Bytes& bytes, int bytesPerLine)
{
    return nf::formatBuffer(bytes.data(), static_cast<unsigned int>(bytes.size()), bytesPerLine);
}

TEST(NumberFormatter, WritesEachByteAsTwoDigits)
{
    const Bytes bytes = {0x01, 0xAB, 0xFF};
    EXPECT_EQ("01ABFF", nf::buffer2stringU(bytes.data(), 3));
    EXPECT_EQ("01abff", nf::buffer2stringL(bytes.data(), 3));
    EXPECT_EQ("01 AB FF ", nf::buffer2stringU2(bytes.data(), 3));
    EXPECT_EQ("01 ab ff ", nf::buffer2stringL2(bytes.data(), 3));

    const unsigned char one = 0x0A;
    EXPECT_EQ("0A", nf::buffer2stringU(&one, 1));
    EXPECT_EQ("0a", nf::buffer2stringL(&one, 1));
    EXPECT_EQ("0A ", nf::buffer2stringU2(&one, 1));
    EXPECT_EQ("0a ", nf::buffer2stringL2(&one, 1));
    EXPECT_EQ("0:", nf::bcd2string(&one, 1));
}

TEST(NumberFormatter, CountZeroGivesEmptyTextWithoutReadingData)
{
    EXPECT_EQ("", nf::buffer2stringU(nullptr, 0));
    EXPECT_EQ("", nf::buffer2stringL(nullptr, 0));
    EXPECT_EQ("", nf::buffer2stringU2(nullptr, 0));
    EXPECT_EQ("", nf::buffer2stringL2(nullptr, 0));
    EXPECT_EQ("", nf::bcd2string(nullptr, 0));
    EXPECT_EQ("", nf::formatBuffer(nullptr, 0, 16));
}

TEST(NumberFormatter, BcdDoesNotValidateNibbles)
{
    const Bytes bytes = {0x12, 0x34, 0x9A, 0xFB};
    EXPECT_EQ("12349:?;", nf::bcd2string(bytes.data(), 4));
}

TEST(NumberFormatter, FormatsBoolAsYesNo)
{
    EXPECT_EQ("yes", nf::formatBool(true));
    EXPECT_EQ("no", nf::formatBool(false));
}

TEST(FormatBuffer, LaysOutFullAndShortLines)
{
    EXPECT_EQ("41 42 43 44 | ABCD\n45 00       | E.  ", dump({0x41, 0x42, 0x43, 0x44, 0x45, 0x00}, 4));

    Bytes letters;
    for (unsigned char c = 0x41; c <= 0x54; ++c)
        letters.push_back(c);
    EXPECT_EQ("41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 | ABCDEFGHIJKLMNOP\n"
              "51 52 53 54" + std::string(37, ' ') + "| QRST" + std::string(12, ' '),
              dump(letters, 16));

    EXPECT_EQ("41 42 | AB", dump({0x41, 0x42}, 2));
    EXPECT_EQ("41 42 | AB\n43 44 | CD", dump({0x41, 0x42, 0x43, 0x44}, 2));
    EXPECT_EQ("41 | A\n42 | B", dump({0x41, 0x42}, 1));
}

TEST(FormatBuffer, ShowsOnlyPrintableBytesInTheCharacterColumn)
{
    EXPECT_EQ("1F 20 7E 7F 80 FF | . ~...", dump({0x1F, 0x20, 0x7E, 0x7F, 0x80, 0xFF}, 6));
}

TEST(FormatBuffer, RejectsFewerThanOneBytePerLine)
{
    const Bytes bytes = {1, 2, 3};
    for (int bytesPerLine : {0, -1})
        EXPECT_EQ("invalid_argument: formatBuffer: bytesPerLine " + std::to_string(bytesPerLine) +
                      " is below 1",
                  support::thrownBy([&] { dump(bytes, bytesPerLine); }));
}

TEST(String2Buffer, ParsesHexPairsWithALeadingOddNibble)
{
    const struct {
        std::string text;
        Bytes bytes;
    } cases[] = {
        {"01ABff", {0x01, 0xAB, 0xFF}},
        {"0a0B", {0x0A, 0x0B}},
        {"ABC", {0x0A, 0xBC}},
        {"7", {0x07}},
        {"A", {0x0A}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.bytes, nf::string2buffer(c.text)) << c.text;
}

TEST(String2Buffer, FailsAtTheFirstNonHexCharacter)
{
    const struct {
        std::string text;
        char offending;
    } cases[] = {
        {"01 02", ' '}, {"1 2", ' '}, {"0G", 'G'}, {"G0", 'G'},
        {"0x01", 'x'},  {"-1", '-'},  {"12Zy", 'Z'},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::string("runtime_error: invalid hex char '") + c.offending + "'",
                  support::thrownBy([&] { nf::string2buffer(c.text); }))
            << c.text;
}

TEST(String2Buffer, RoundTripsEveryByteValue)
{
    Bytes all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<unsigned char>(b));
    const unsigned int n = static_cast<unsigned int>(all.size());
    EXPECT_EQ(all, nf::string2buffer(nf::buffer2stringU(all.data(), n)));
    EXPECT_EQ(all, nf::string2buffer(nf::buffer2stringL(all.data(), n)));

    std::string spaced = nf::buffer2stringU2(all.data(), n);
    spaced.erase(std::remove(spaced.begin(), spaced.end(), ' '), spaced.end());
    EXPECT_EQ(all, nf::string2buffer(spaced));
}

}  // namespace
