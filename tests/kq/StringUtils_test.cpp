#include <kq/StringUtils.h>

#include <gtest/gtest.h>

#include "support/Thrown.h"

#include <string>
#include <vector>

namespace {

using Words = std::vector<std::string>;

TEST(Format, ProducesExactlyTheFormattedCharacters)
{
    EXPECT_EQ("", kq::format("%s", ""));
    EXPECT_EQ("42", kq::format("%d", 42));
    EXPECT_EQ("ab   |07|x|FFFFFFFF", kq::format("%-*s|%02d|%c|%08X", 5, "ab", 7, 'x', 0xFFFFFFFFu));
    EXPECT_EQ("-5 4294967295", kq::format("%ld %lu", -5L, 4294967295UL));
    const std::string block(5000, 'k');  // longer than any fixed buffer
    EXPECT_EQ("<" + block + ">" + block + "<12345>",
              kq::format("<%s>%s<%d>", block.c_str(), block.c_str(), 12345));
}

TEST(Case, ComparisonAndMappingFoldAsciiLettersOnly)
{
    EXPECT_TRUE(kq::compare("", ""));
    EXPECT_FALSE(kq::compare("abc", "abcd"));
    EXPECT_FALSE(kq::compare("abc", "ABC"));
    EXPECT_TRUE(kq::icompare("", ""));
    EXPECT_FALSE(kq::icompare("abc", "abcd"));
    EXPECT_TRUE(kq::icompare("IRP_MJ_READ", "irp_mj_read"));
    EXPECT_FALSE(kq::icompare("\xC4", "\xE4"));

    const std::string mixed = "aZ09_-\x80\xC4\xFF";
    EXPECT_EQ("AZ09_-\x80\xC4\xFF", kq::toUpper(mixed));
    EXPECT_EQ("az09_-\x80\xC4\xFF", kq::toLower(mixed));
    std::string s = "MiXeD";
    EXPECT_EQ(&s, &kq::toLowerInPlace(s));
    EXPECT_EQ("mixed", s);
    EXPECT_EQ(&s, &kq::toUpperInPlace(s));
    EXPECT_EQ("MIXED", s);
}

TEST(ByteOrder, ReversesBytesAndIsItsOwnInverse)
{
    EXPECT_EQ(0x3412, kq::ByteOrder::reorder16(0x1234));
    EXPECT_EQ(0xFF00, kq::ByteOrder::reorder16(0x00FF));
    EXPECT_EQ(0x78563412u, kq::ByteOrder::reorder32(0x12345678u));
    EXPECT_EQ(0xAB000000u, kq::ByteOrder::reorder32(0x000000ABu));
    EXPECT_EQ(0xCAFEu, kq::ByteOrder::reorder16(kq::ByteOrder::reorder16(0xCAFE)));
    EXPECT_EQ(0xDEADBEEFu, kq::ByteOrder::reorder32(kq::ByteOrder::reorder32(0xDEADBEEFu)));
}

TEST(SplitString, SplitsAtEveryWholeDelimiter)
{
    const struct {
        std::string text, delimiter;
        Words keepEmpty, skipEmpty;
    } cases[] = {
        {"a\t\tb\t", "\t", {"a", "", "b", ""}, {"a", "b"}},
        {"a\tb", "\t", {"a", "b"}, {"a", "b"}},
        {"x, y,z", ", ", {"x", "y,z"}, {"x", "y,z"}},
        {"a\t", "\t", {"a", ""}, {"a"}},
        {"abc", ";", {"abc"}, {"abc"}},
        {"", ";", {""}, {}},
        {"::", ":", {"", "", ""}, {}},
        {"aXYXYb", "XY", {"a", "", "b"}, {"a", "b"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.keepEmpty, kq::SplitString(c.text, c.delimiter, false)) << c.text;
        EXPECT_EQ(c.skipEmpty, kq::SplitString(c.text, c.delimiter, true)) << c.text;
    }
    for (bool skipEmpty : {false, true}) {
        EXPECT_EQ("invalid_argument: SplitString: empty delimiter",
                  kqtest::thrownBy([&] { kq::SplitString("abc", "", skipEmpty); }));
    }
}

TEST(SplitCommandLine, KeepsQuotedWordsAndEveryEmptyWord)
{
    const struct {
        std::string line;
        Words words;
    } cases[] = {
        {"x y", {"x", "y"}},
        {"x  y", {"x", "", "y"}},
        {"x y ", {"x", "y"}},
        {" x", {"", "x"}},
        {"\"x y\" z", {"x y", "", "z"}},
        {"\"x y\"", {"x y"}},
        {"\"x y", {"\"x y"}},
        {"x\"y z", {"x\"y", "z"}},
        {"a\tb", {"a\tb"}},
        {"\"\"", {""}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.words, kq::SplitCommandLine(c.line)) << c.line;
    }
}

}  // namespace
