#include <kq/NumberParser.h>
#include <kq/StringUtils.h>

#include "FuzzCheck.h"
#include "support/Thrown.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

using namespace kq::NumberParser;
using kqtest::fuzzCheck;

namespace {

const std::string BadFormat = "logic_error: NumebrParser - bad format";
const std::string OutOfRange = "range_error: NumberParser - out of range";

// What a parse form gave: its value as text, or what it threw.
template <typename F>
std::string outcome(F parse)
{
    std::string value;
    const std::string thrown = kqtest::thrownBy([&] { value = std::to_string(parse()); });
    return thrown.empty() ? value : thrown;
}

// A try form agrees with its parse form and stores only on success.
template <typename T, typename Parse>
void checkTryForm(const std::string& text, bool (*tryParse)(const std::string&, T&), Parse parse,
                  const char* name)
{
    T value = T(7);
    const bool ok = tryParse(text, value);
    const std::string parsed = outcome(parse);
    if (ok) {
        fuzzCheck(parsed == std::to_string(value), name, text);
    } else {
        fuzzCheck(value == T(7) && (parsed == BadFormat || parsed == OutOfRange), name, text);
    }
}

// The 64-bit signed result decides every narrower integer: same syntax, other ranges.
void checkIntegerWidths(const std::string& text)
{
    const std::string wide = outcome([&] { return parseInt64(text); });
    fuzzCheck(wide == outcome([&] { return parseLongLong(text); }), "Int64 alias", text);
    auto expect = [&](long long min, long long max) {
        if (wide == BadFormat || wide == OutOfRange) {
            return wide;
        }
        const long long v = std::stoll(wide);
        return v < min || v > max ? OutOfRange : wide;
    };
    fuzzCheck(outcome([&] { return parseInt8(text); }) == expect(-128, 127), "Int8", text);
    fuzzCheck(outcome([&] { return parseInt16(text); }) == expect(-32768, 32767), "Int16", text);
    fuzzCheck(outcome([&] { return parseShort(text); }) == expect(-32768, 32767), "Short", text);
    const std::string int32 = expect(-2147483647LL - 1, 2147483647);
    fuzzCheck(outcome([&] { return parseInt32(text); }) == int32, "Int32", text);
    fuzzCheck(outcome([&] { return parseInt(text); }) == int32, "Int", text);
    fuzzCheck(outcome([&] { return parseLong(text); }) == int32, "Long", text);

    // Unsigned: a '-' negates in the routine's own width, 32 bits for these.
    std::string uint32 = wide;
    if (wide != BadFormat && wide != OutOfRange) {
        const long long v = std::stoll(wide);
        if (v < -4294967295LL || v > 4294967295LL) {
            uint32 = OutOfRange;
        } else {
            uint32 = std::to_string(static_cast<std::uint32_t>(v));
        }
    }
    auto expectUnsigned = [&](unsigned long long max) {
        if (uint32 == BadFormat || uint32 == OutOfRange) {
            return uint32;
        }
        return std::stoull(uint32) > max ? OutOfRange : uint32;
    };
    fuzzCheck(outcome([&] { return parseUInt8(text); }) == expectUnsigned(255), "UInt8", text);
    fuzzCheck(outcome([&] { return parseUInt16(text); }) == expectUnsigned(65535), "UInt16", text);
    fuzzCheck(outcome([&] { return parseUInt32(text); }) == uint32, "UInt32", text);
    const std::string asSigned =
        uint32 == BadFormat || uint32 == OutOfRange
            ? uint32
            : std::to_string(static_cast<std::int32_t>(std::stoull(uint32)));
    fuzzCheck(outcome([&] { return parseUInt(text); }) == asSigned, "UInt reads as signed", text);
    fuzzCheck(outcome([&] { return parseULong(text); }) == asSigned, "ULong reads as signed", text);
}

void checkTryForms(const std::string& text)
{
    checkTryForm<signed char>(
        text, tryParseInt8, [&] { return parseInt8(text); }, "tryParseInt8");
    checkTryForm<short>(
        text, tryParseInt16, [&] { return parseInt16(text); }, "tryParseInt16");
    checkTryForm<int>(
        text, tryParseInt32, [&] { return parseInt32(text); }, "tryParseInt32");
    checkTryForm<long>(
        text, tryParseLong, [&] { return parseLong(text); }, "tryParseLong");
    checkTryForm<unsigned char>(
        text, tryParseUInt8, [&] { return parseUInt8(text); }, "tryParseUInt8");
    checkTryForm<unsigned short>(
        text, tryParseUInt16, [&] { return parseUInt16(text); }, "tryParseUInt16");
    checkTryForm<unsigned int>(
        text, tryParseUInt32, [&] { return parseUInt32(text); }, "tryParseUInt32");
    checkTryForm<unsigned long>(
        text, tryParseULong, [&] { return parseUInt32(text); }, "tryParseULong");
    checkTryForm<unsigned long>(
        text, tryParseHex, [&] { return parseHex(text); }, "tryParseHex");
    checkTryForm<unsigned long>(
        text, tryParseOct, [&] { return parseOct(text); }, "tryParseOct");
    checkTryForm<long long>(
        text, tryParseInt64, [&] { return parseInt64(text); }, "tryParseInt64");
    checkTryForm<unsigned long long>(
        text, tryParseUInt64, [&] { return parseUInt64(text); }, "tryParseUInt64");
    checkTryForm<bool>(
        text, tryParseBool, [&] { return parseBool(text); }, "tryParseBool");
    // The long long forms store the routine's result even on failure, and fail alike.
    long long a = 1, b = 1;
    fuzzCheck(tryParseLongLong(text, a) == tryParseInt64(text, b), "tryParseLongLong", text);
    unsigned long long c = 1, d = 1;
    fuzzCheck(tryParseULongLong(text, c) == tryParseUInt64(text, d), "tryParseULongLong", text);
}

// A decimal 32-bit number is non-zero or zero; else the six words, in any case, exactly.
void checkBool(const std::string& text)
{
    int number = 0;
    std::string expected = BadFormat;
    if (tryParseInt32(text, number)) {
        expected = number != 0 ? "1" : "0";
    } else {
        for (const char* word : {"true", "yes", "on"}) {
            if (kq::icompare(text, word)) {
                expected = "1";
            }
        }
    }
    for (const char* word : {"false", "no", "off"}) {
        if (expected == BadFormat && kq::icompare(text, word)) {
            expected = "0";
        }
    }
    fuzzCheck(outcome([&] { return parseBool(text); }) == expected, "parseBool", text);
}

// Floating forms throw runtime_error only, and agree with their try forms.
template <typename T>
void checkFloating(const std::string& text, T (*parse)(const std::string&),
                   bool (*tryParse)(const std::string&, T&), const char* name)
{
    T tried = T(7);
    const bool ok = tryParse(text, tried);
    T parsed = T(0);
    const std::string thrown = kqtest::thrownBy([&] { parsed = parse(text); });
    if (ok) {
        fuzzCheck(thrown.empty() && (parsed == tried || (std::isnan(parsed) && std::isnan(tried))),
                  name, text);
    } else {
        fuzzCheck(tried == T(7) && (thrown == "runtime_error: NumebrParser - bad format" ||
                                    thrown == "runtime_error: NumberParser - out of range"),
                  name, text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkIntegerWidths(text);
    checkTryForms(text);
    checkBool(text);
    checkFloating<float>(text, parseFloat, tryParseFloat, "float");
    checkFloating<double>(text, parseDouble, tryParseDouble, "double");
    checkFloating<long double>(text, parseLongDouble, tryParseLongDouble, "long double");
    return 0;
}
