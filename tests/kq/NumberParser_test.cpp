#include <kq/NumberParser.h>

#include <gtest/gtest.h>

#include "support/Thrown.h"

#include <cerrno>
#include <functional>
#include <stdexcept>
#include <string>

namespace {

namespace np = kq::NumberParser;

const char badFormat[] = "logic_error: NumebrParser - bad format";
const char outOfRange[] = "range_error: NumberParser - out of range";

// What a parse form did, as one comparable text: the value, or the exact
// exception type and message.
template <typename F>
std::string outcomeOf(F parse)
{
    std::string value;
    const std::string thrown = support::thrownBy([&] { value = std::to_string(parse()); });
    return thrown.empty() ? value : thrown;
}

template <typename R, R (*Parse)(const std::string&)>
std::string widened(const std::string& text)
{
    return outcomeOf([&] { return static_cast<long long>(Parse(text)); });
}

struct IntegerCase {
    const char* member;
    std::function<std::string(const std::string&)> parse;
    const char* text;
    std::string expected;
};

TEST(NumberParser, EveryIntegerMemberKeepsItsRange)
{
    const auto i8 = widened<signed char, np::parseInt8>;
    const auto i16 = widened<short, np::parseInt16>;
    const auto i32 = widened<int, np::parseInt32>;
    const auto lng = widened<long, np::parseLong>;
    const auto u8 = widened<unsigned char, np::parseUInt8>;
    const auto u16 = widened<unsigned short, np::parseUInt16>;
    const auto ushort = widened<short, np::parseUShort>;
    const auto u32 = widened<unsigned int, np::parseUInt32>;
    const auto uint = widened<int, np::parseUInt>;
    const auto ulong = widened<long, np::parseULong>;
    const auto hex = widened<unsigned long, np::parseHex>;
    const auto oct = widened<unsigned long, np::parseOct>;
    const auto i64 = widened<long long, np::parseLongLong>;
    const auto u64 = [](const std::string& t) { return outcomeOf([&] { return np::parseULongLong(t); }); };

    const IntegerCase cases[] = {
        {"Int8", i8, "-128", "-128"}, {"Int8", i8, "127", "127"},
        {"Int8", i8, "-129", outOfRange}, {"Int8", i8, "128", outOfRange},
        {"Int16", i16, "-32768", "-32768"}, {"Int16", i16, "32767", "32767"},
        {"Int16", i16, "-32769", outOfRange}, {"Int16", i16, "32768", outOfRange},
        {"Int32", i32, "-2147483648", "-2147483648"}, {"Int32", i32, "2147483647", "2147483647"},
        {"Int32", i32, "-2147483649", outOfRange}, {"Int32", i32, "2147483648", outOfRange},
        {"Long", lng, "-2147483649", outOfRange}, {"Long", lng, "2147483648", outOfRange},
        {"Long", lng, "-2147483648", "-2147483648"},
        {"UInt8", u8, "0", "0"}, {"UInt8", u8, "255", "255"},
        {"UInt8", u8, "256", outOfRange}, {"UInt8", u8, "-1", outOfRange},
        {"UInt16", u16, "65535", "65535"}, {"UInt16", u16, "65536", outOfRange},
        {"UInt16", u16, "-1", outOfRange},
        {"UShort", ushort, "65535", "-1"}, {"UShort", ushort, "32768", "-32768"},
        {"UInt32", u32, "4294967295", "4294967295"}, {"UInt32", u32, "-1", "4294967295"},
        {"UInt32", u32, "4294967296", outOfRange}, {"UInt32", u32, "-4294967296", outOfRange},
        {"UInt32", u32, "-4294967295", "1"}, {"UInt32", u32, "0", "0"},
        {"UInt", uint, "4294967295", "-1"}, {"ULong", ulong, "4294967295", "-1"},
        {"ULong", ulong, "2147483648", "-2147483648"}, {"ULong", ulong, "4294967296", outOfRange},
        {"Hex", hex, "ff", "255"}, {"Hex", hex, "0xFF", "255"}, {"Hex", hex, "FF", "255"},
        {"Hex", hex, "FFFFFFFF", "4294967295"}, {"Hex", hex, "100000000", outOfRange},
        {"Hex", hex, "0xG", badFormat},
        {"Oct", oct, "017", "15"}, {"Oct", oct, "37777777777", "4294967295"},
        {"Oct", oct, "40000000000", outOfRange}, {"Oct", oct, "8", badFormat},
        {"LongLong", i64, "9223372036854775807", "9223372036854775807"},
        {"LongLong", i64, "-9223372036854775808", "-9223372036854775808"},
        {"LongLong", i64, "9223372036854775808", outOfRange},
        {"LongLong", i64, "-9223372036854775809", outOfRange},
        {"LongLong", i64, "2147483647", "2147483647"},
        {"ULongLong", u64, "18446744073709551615", "18446744073709551615"},
        {"ULongLong", u64, "18446744073709551616", outOfRange},
        {"ULongLong", u64, "-1", "18446744073709551615"},
    };
    for (const IntegerCase& c : cases)
        EXPECT_EQ(c.expected, c.parse(c.text)) << c.member << " of '" << c.text << "'";
}

TEST(NumberParser, TheWholeTextMustBeANumber)
{
    const auto i32 = widened<int, np::parseInt32>;
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"", "0"},
        {" 42", "42"},
        {"\t\n42", "42"},
        {"+7", "7"},
        {"-0", "0"},
        {"42 ", badFormat},
        {" ", badFormat},
        {"0x10", badFormat},
        {"-", badFormat},
        {"1.0", badFormat},
        {std::string("12\0", 3), badFormat},
        {std::string("\0", 1), badFormat},
        // Badly formed wins over too large.
        {"99999999999x", badFormat},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, i32(c.text)) << "'" << c.text << "'";
}

TEST(NumberParser, ErrnoFromAnEarlierFailureDoesNotLeak)
{
    EXPECT_THROW(np::parseInt32("2147483648"), std::range_error);
    EXPECT_EQ(2147483647, np::parseInt32("2147483647"));

    errno = ERANGE;
    EXPECT_EQ(18446744073709551615ull, np::parseULongLong("18446744073709551615"));
    errno = ERANGE;
    EXPECT_EQ(9223372036854775807ll, np::parseInt64("9223372036854775807"));
    errno = ERANGE;
    EXPECT_EQ(1.5, np::parseDouble("1.5"));
}

TEST(NumberParser, TryFormsStoreOnlyOnSuccessExceptTheLongLongOnes)
{
    signed char i8 = 5;
    EXPECT_FALSE(np::tryParseInt8("128", i8));
    EXPECT_EQ(5, i8);
    EXPECT_TRUE(np::tryParseInt8("-128", i8));
    EXPECT_EQ(-128, i8);

    unsigned long ul = 9;
    EXPECT_FALSE(np::tryParseULong("4294967296", ul));
    EXPECT_EQ(9u, ul);
    EXPECT_TRUE(np::tryParseULong("-1", ul));
    EXPECT_EQ(4294967295u, ul);

    long long ll = 1;
    EXPECT_FALSE(np::tryParseInt64("12x", ll));
    EXPECT_EQ(1, ll);
    EXPECT_FALSE(np::tryParseLongLong("12x", ll));
    EXPECT_EQ(12, ll);
    EXPECT_FALSE(np::tryParseLongLong("9223372036854775808", ll));
    EXPECT_EQ(9223372036854775807ll, ll);

    unsigned long long ull = 1;
    EXPECT_FALSE(np::tryParseUInt64("7y", ull));
    EXPECT_EQ(1u, ull);
    EXPECT_FALSE(np::tryParseULongLong("7y", ull));
    EXPECT_EQ(7u, ull);

    double d = 3.0;
    EXPECT_FALSE(np::tryParseDouble("1e400", d));
    EXPECT_EQ(3.0, d);
    EXPECT_TRUE(np::tryParseDouble("", d));
    EXPECT_EQ(0.0, d);
}

TEST(NumberParser, FloatingPointFailuresAreRuntimeErrors)
{
    EXPECT_EQ("runtime_error: NumberParser - out of range",
              outcomeOf([] { return np::parseDouble("1e400"); }));
    EXPECT_EQ("runtime_error: NumebrParser - bad format",
              outcomeOf([] { return np::parseDouble("1.5x"); }));
    EXPECT_EQ("runtime_error: NumberParser - out of range",
              outcomeOf([] { return np::parseFloat("1e40"); }));
    EXPECT_EQ("runtime_error: NumebrParser - bad format",
              outcomeOf([] { return np::parseLongDouble("2.5 "); }));
    EXPECT_EQ(1.5, np::parseDouble("1.5"));
    EXPECT_EQ(-0.25f, np::parseFloat(" -0.25"));
    EXPECT_EQ(1024.0L, np::parseLongDouble("1.024e3"));
    EXPECT_EQ(0.0, np::parseDouble(""));
}

TEST(NumberParser, BoolTakesNumbersThenWords)
{
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"TRUE", "1"}, {"Yes", "1"}, {"on", "1"}, {"2", "1"}, {" 1", "1"}, {"-7", "1"},
        {"off", "0"}, {"NO", "0"}, {"False", "0"}, {"0", "0"}, {"-0", "0"}, {"", "0"},
        {"y", badFormat}, {" true", badFormat}, {"yes ", badFormat}, {"maybe", badFormat},
        {"2147483648", badFormat},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, outcomeOf([&] { return np::parseBool(c.text); })) << c.text;

    bool value = true;
    EXPECT_FALSE(np::tryParseBool("maybe", value));
    EXPECT_TRUE(value);
}

}  // namespace
