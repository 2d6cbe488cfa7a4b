#include <kq/NumberFormatter.h>

#include <gtest/gtest.h>

#include "support/Thrown.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace nf = kq::NumberFormatter;
using Bytes = std::vector<unsigned char>;

// No bytes are passed as a null pointer: a count of zero must not read the data.
const unsigned char* dataOf(const Bytes& bytes)
{
    return bytes.empty() ? nullptr : bytes.data();
}
unsigned int sizeOf(const Bytes& bytes)
{
    return static_cast<unsigned int>(bytes.size());
}
std::string dump(const Bytes& bytes, int perLine)
{
    return nf::formatBuffer(dataOf(bytes), sizeOf(bytes), perLine);
}

TEST(NumberFormatter, WritesEachByteAsTwoDigits)
{
    const struct {
        Bytes bytes;
        std::string upper, lower, upperSpaced, lowerSpaced, bcd;
    } cases[] = {
        {{}, "", "", "", "", ""},
        {{0x0A}, "0A", "0a", "0A ", "0a ", "0:"},
        {{0x01, 0xAB, 0xFF}, "01ABFF", "01abff", "01 AB FF ", "01 ab ff ", "01:;??"},
        {{0x12, 0x34, 0x9A, 0xFB},
         "12349AFB",
         "12349afb",
         "12 34 9A FB ",
         "12 34 9a fb ",
         "12349:?;"},  // BCD does not validate nibbles
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.upper);
        const unsigned char* data = dataOf(c.bytes);
        EXPECT_EQ(c.upper, nf::buffer2stringU(data, sizeOf(c.bytes)));
        EXPECT_EQ(c.lower, nf::buffer2stringL(data, sizeOf(c.bytes)));
        EXPECT_EQ(c.upperSpaced, nf::buffer2stringU2(data, sizeOf(c.bytes)));
        EXPECT_EQ(c.lowerSpaced, nf::buffer2stringL2(data, sizeOf(c.bytes)));
        EXPECT_EQ(c.bcd, nf::bcd2string(data, sizeOf(c.bytes)));
    }
    EXPECT_EQ("yes", nf::formatBool(true));
    EXPECT_EQ("no", nf::formatBool(false));
}

TEST(FormatBuffer, LaysOutFullAndShortLinesWithPrintableCharacters)
{
    Bytes letters(20);
    std::iota(letters.begin(), letters.end(), 'A');
    const struct {
        Bytes bytes;
        int perLine;
        std::string text;
    } cases[] = {
        {{}, 16, ""},
        {{0x41, 0x42, 0x43, 0x44, 0x45, 0x00}, 4, "41 42 43 44 | ABCD\n45 00       | E.  "},
        {letters, 16,
         "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 | ABCDEFGHIJKLMNOP\n"
         "51 52 53 54" +
             std::string(37, ' ') + "| QRST" + std::string(12, ' ')},
        {{0x41, 0x42}, 2, "41 42 | AB"},
        {{0x41, 0x42, 0x43, 0x44}, 2, "41 42 | AB\n43 44 | CD"},
        {{0x41, 0x42}, 1, "41 | A\n42 | B"},
        {{0x1F, 0x20, 0x7E, 0x7F, 0x80, 0xFF}, 6, "1F 20 7E 7F 80 FF | . ~..."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, dump(c.bytes, c.perLine)) << c.text;
    }
    for (int perLine : {0, -1}) {
        EXPECT_EQ("invalid_argument: formatBuffer: bytesPerLine " + std::to_string(perLine) +
                      " is below 1",
                  kqtest::thrownBy([&] {
                      dump({1, 2, 3}, perLine);
                  }));
    }
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
    for (const auto& c : cases) {
        EXPECT_EQ(c.bytes, nf::string2buffer(c.text)) << c.text;
    }

    const std::pair<std::string, char> bad[] = {
        // text, its first non-hex character
        {"01 02", ' '}, {"1 2", ' '}, {"0G", 'G'},   {"G0", 'G'},
        {"0x01", 'x'},  {"-1", '-'},  {"12Zy", 'Z'},
    };
    for (const auto& b : bad) {
        EXPECT_EQ(std::string("runtime_error: invalid hex char '") + b.second + "'",
                  kqtest::thrownBy([&] { nf::string2buffer(b.first); }))
            << b.first;
    }
}

TEST(String2Buffer, RoundTripsEveryByteValue)
{
    Bytes all(256);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(all, nf::string2buffer(nf::buffer2stringU(all.data(), sizeOf(all))));
    EXPECT_EQ(all, nf::string2buffer(nf::buffer2stringL(all.data(), sizeOf(all))));
    std::string spaced = nf::buffer2stringU2(all.data(), sizeOf(all));
    spaced.erase(std::remove(spaced.begin(), spaced.end(), ' '), spaced.end());
    EXPECT_EQ(all, nf::string2buffer(spaced));
}

}  // namespace
