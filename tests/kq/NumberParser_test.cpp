#include <kq/NumberParser.h>

#include <gtest/gtest.h>

#include "support/Thrown.h"

#include <cerrno>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

namespace np = kq::NumberParser;

// Integer and bool failures are logic/range errors, floating-point ones runtime errors.
const char bad[] = "logic_error: NumebrParser - bad format";
const char range[] = "range_error: NumberParser - out of range";
const char floatBad[] = "runtime_error: NumebrParser - bad format";
const char floatRange[] = "runtime_error: NumberParser - out of range";

// Exact text of a parsed value: small types print as numbers, floating point with
// enough digits to tell any two values apart.
template <typename T>
std::string textOf(T value)
{
    std::ostringstream out;
    out.precision(std::numeric_limits<T>::max_digits10);
    out << +value;
    return out.str();
}

// What a parse form did, as one comparable text: the value, or the exact exception.
template <auto Parse>
std::string parsed(const std::string& text)
{
    std::string value;
    const std::string thrown = kqtest::thrownBy([&] { value = textOf(Parse(text)); });
    return thrown.empty() ? value : thrown;
}

// What a try form returned and what it left in a variable that held initial.
template <typename T>
std::string tried(bool (*tryParse)(const std::string&, T&), const std::string& text,
                  std::common_type_t<T> initial)
{
    T value = initial;
    const bool stored = tryParse(text, value);
    return (stored ? "true " : "false ") + textOf(value);
}

using Outcomes = std::vector<std::pair<std::string, std::string>>;  // text -> value or exception

void expectOutcomes(const char* member, std::string (*parse)(const std::string&),
                    const Outcomes& outcomes)
{
    for (const auto& o : outcomes) {
        EXPECT_EQ(o.second, parse(o.first)) << member << " of '" << o.first << "'";
    }
}

TEST(NumberParser, EveryIntegerMemberKeepsItsRange)
{
    expectOutcomes("Int8", parsed<np::parseInt8>,
                   {{"-128", "-128"}, {"127", "127"}, {"-129", range}, {"128", range}});
    expectOutcomes("Int16", parsed<np::parseInt16>,
                   {{"-32768", "-32768"}, {"32767", "32767"}, {"-32769", range}, {"32768", range}});
    expectOutcomes("Int32", parsed<np::parseInt32>,
                   {{"-2147483648", "-2147483648"},
                    {"2147483647", "2147483647"},
                    {"-2147483649", range},
                    {"2147483648", range}});
    expectOutcomes("Long", parsed<np::parseLong>,
                   {{"-2147483649", range}, {"2147483648", range}, {"-2147483648", "-2147483648"}});
    expectOutcomes("UInt8", parsed<np::parseUInt8>,
                   {{"0", "0"}, {"255", "255"}, {"256", range}, {"-1", range}});
    expectOutcomes("UInt16", parsed<np::parseUInt16>,
                   {{"65535", "65535"}, {"65536", range}, {"-1", range}});
    expectOutcomes("UShort", parsed<np::parseUShort>, {{"65535", "-1"}, {"32768", "-32768"}});
    expectOutcomes("UInt32", parsed<np::parseUInt32>,
                   {{"4294967295", "4294967295"},
                    {"-1", "4294967295"},
                    {"4294967296", range},
                    {"-4294967296", range},
                    {"-4294967295", "1"},
                    {"0", "0"}});
    expectOutcomes("UInt", parsed<np::parseUInt>, {{"4294967295", "-1"}});
    expectOutcomes("ULong", parsed<np::parseULong>,
                   {{"4294967295", "-1"}, {"2147483648", "-2147483648"}, {"4294967296", range}});
    expectOutcomes("Hex", parsed<np::parseHex>,
                   {{"ff", "255"},
                    {"0xFF", "255"},
                    {"FF", "255"},
                    {"FFFFFFFF", "4294967295"},
                    {"100000000", range},
                    {"0xG", bad}});
    expectOutcomes(
        "Oct", parsed<np::parseOct>,
        {{"017", "15"}, {"37777777777", "4294967295"}, {"40000000000", range}, {"8", bad}});
    expectOutcomes("LongLong", parsed<np::parseLongLong>,
                   {{"9223372036854775807", "9223372036854775807"},
                    {"2147483647", "2147483647"},
                    {"-9223372036854775808", "-9223372036854775808"},
                    {"9223372036854775808", range},
                    {"-9223372036854775809", range}});
    expectOutcomes("ULongLong", parsed<np::parseULongLong>,
                   {{"18446744073709551615", "18446744073709551615"},
                    {"18446744073709551616", range},
                    {"-1", "18446744073709551615"}});
}

TEST(NumberParser, TheWholeTextMustBeANumber)
{
    expectOutcomes("Int32", parsed<np::parseInt32>,
                   {{"", "0"},
                    {" 42", "42"},
                    {"\t\n42", "42"},
                    {"+7", "7"},
                    {"-0", "0"},
                    {"42 ", bad},
                    {" ", bad},
                    {"0x10", bad},
                    {"-", bad},
                    {"1.0", bad},
                    {std::string("12\0", 3), bad},
                    {std::string("\0", 1), bad},
                    {"99999999999x", bad}});  // badly formed wins over too large
}

TEST(NumberParser, FloatingPointFailuresAreRuntimeErrors)
{
    expectOutcomes("Double", parsed<np::parseDouble>,
                   {{"1e400", floatRange}, {"1.5x", floatBad}, {"1.5", "1.5"}, {"", "0"}});
    expectOutcomes("Float", parsed<np::parseFloat>, {{"1e40", floatRange}, {" -0.25", "-0.25"}});
    expectOutcomes("LongDouble", parsed<np::parseLongDouble>,
                   {{"2.5 ", floatBad}, {"1.024e3", "1024"}});
}

TEST(NumberParser, BoolTakesNumbersThenWords)
{
    expectOutcomes("Bool", parsed<np::parseBool>,
                   {{"TRUE", "1"},
                    {"Yes", "1"},
                    {"on", "1"},
                    {"2", "1"},
                    {" 1", "1"},
                    {"-7", "1"},
                    {"off", "0"},
                    {"NO", "0"},
                    {"False", "0"},
                    {"0", "0"},
                    {"-0", "0"},
                    {"", "0"},
                    {"y", bad},
                    {" true", bad},
                    {"yes ", bad},
                    {"maybe", bad},
                    {"2147483648", bad}});
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

// Callers may read errno after a conversion: every member clears it first, as the
// standard routines' callers do, also for the plain decimal texts most callers pass.
TEST(NumberParser, ErrnoIsClearedBeforeConverting)
{
    const std::pair<const char*, std::string (*)(const std::string&)> members[] = {
        {"Int8", parsed<np::parseInt8>},         {"Int16", parsed<np::parseInt16>},
        {"Int32", parsed<np::parseInt32>},       {"Int64", parsed<np::parseInt64>},
        {"UInt8", parsed<np::parseUInt8>},       {"UInt16", parsed<np::parseUInt16>},
        {"UInt32", parsed<np::parseUInt32>},     {"UInt64", parsed<np::parseUInt64>},
        {"LongLong", parsed<np::parseLongLong>}, {"ULongLong", parsed<np::parseULongLong>},
        {"Bool", parsed<np::parseBool>},
    };
    for (const auto& member : members) {
        errno = 777;
        EXPECT_EQ("1", member.second("1")) << member.first;
        EXPECT_EQ(0, errno) << member.first;
    }
}

TEST(NumberParser, TryFormsStoreOnlyOnSuccessExceptTheLongLongOnes)
{
    EXPECT_EQ("false 5", tried(np::tryParseInt8, "128", 5));
    EXPECT_EQ("true -128", tried(np::tryParseInt8, "-128", 5));
    EXPECT_EQ("false 9", tried(np::tryParseULong, "4294967296", 9));
    EXPECT_EQ("true 4294967295", tried(np::tryParseULong, "-1", 9));
    EXPECT_EQ("false 1", tried(np::tryParseInt64, "12x", 1));
    EXPECT_EQ("false 12", tried(np::tryParseLongLong, "12x", 1));
    EXPECT_EQ("false 9223372036854775807", tried(np::tryParseLongLong, "9223372036854775808", 1));
    EXPECT_EQ("false 1", tried(np::tryParseUInt64, "7y", 1));
    EXPECT_EQ("false 7", tried(np::tryParseULongLong, "7y", 1));
    EXPECT_EQ("false 3", tried(np::tryParseDouble, "1e400", 3.0));
    EXPECT_EQ("true 0", tried(np::tryParseDouble, "", 3.0));
    EXPECT_EQ("false 1", tried(np::tryParseBool, "maybe", true));
}

}  // namespace
