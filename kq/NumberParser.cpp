#include <kq/NumberParser.h>

#include <kq/StringUtils.h>
#include <kq/detail/NumberConversion.h>

#include <cstdint>
#include <stdexcept>

namespace kq {
namespace NumberParser {

namespace {

using detail::Conversion;
using detail::Converted;

const char badFormat[] = "NumebrParser - bad format";
const char outOfRange[] = "NumberParser - out of range";

template <typename V>
V integerValue(const Converted<V>& converted)
{
    if (converted.outcome == Conversion::badFormat) {
        throw std::logic_error(badFormat);
    }
    if (converted.outcome == Conversion::outOfRange) {
        throw std::range_error(outOfRange);
    }
    return converted.value;
}

template <typename V>
V floatingValue(const Converted<V>& converted)
{
    if (converted.outcome == Conversion::badFormat) {
        throw std::runtime_error(badFormat);
    }
    if (converted.outcome == Conversion::outOfRange) {
        throw std::runtime_error(outOfRange);
    }
    return converted.value;
}

template <typename T, typename V>
bool storeOnSuccess(const Converted<V>& converted, T& value)
{
    if (converted.outcome != Conversion::ok) {
        return false;
    }
    value = static_cast<T>(converted.value);
    return true;
}

Converted<long long> toInt8(const std::string& text)
{
    return detail::toSigned(text, INT8_MIN, INT8_MAX);
}

Converted<long long> toInt16(const std::string& text)
{
    return detail::toSigned(text, INT16_MIN, INT16_MAX);
}

Converted<long long> toInt32(const std::string& text)
{
    return detail::toSigned(text, INT32_MIN, INT32_MAX);
}

Converted<long long> toInt64(const std::string& text)
{
    return detail::toSigned(text, INT64_MIN, INT64_MAX);
}

Converted<unsigned long long> toUInt8(const std::string& text)
{
    return detail::toUnsigned32(text, 10, UINT8_MAX);
}

Converted<unsigned long long> toUInt16(const std::string& text)
{
    return detail::toUnsigned32(text, 10, UINT16_MAX);
}

Converted<unsigned long long> toUInt32(const std::string& text)
{
    return detail::toUnsigned32(text, 10, UINT32_MAX);
}

}  // namespace

signed char parseInt8(const std::string& text)
{
    return static_cast<signed char>(integerValue(toInt8(text)));
}

bool tryParseInt8(const std::string& text, signed char& value)
{
    return storeOnSuccess(toInt8(text), value);
}

short parseInt16(const std::string& text)
{
    return static_cast<short>(integerValue(toInt16(text)));
}

short parseShort(const std::string& text)
{
    return parseInt16(text);
}

bool tryParseInt16(const std::string& text, short& value)
{
    return storeOnSuccess(toInt16(text), value);
}

bool tryParseShort(const std::string& text, short& value)
{
    return tryParseInt16(text, value);
}

int parseInt32(const std::string& text)
{
    return static_cast<int>(integerValue(toInt32(text)));
}

int parseInt(const std::string& text)
{
    return parseInt32(text);
}

long parseLong(const std::string& text)
{
    return parseInt32(text);
}

bool tryParseInt32(const std::string& text, int& value)
{
    return storeOnSuccess(toInt32(text), value);
}

bool tryParseInt(const std::string& text, int& value)
{
    return tryParseInt32(text, value);
}

bool tryParseLong(const std::string& text, long& value)
{
    return storeOnSuccess(toInt32(text), value);
}

unsigned char parseUInt8(const std::string& text)
{
    return static_cast<unsigned char>(integerValue(toUInt8(text)));
}

bool tryParseUInt8(const std::string& text, unsigned char& value)
{
    return storeOnSuccess(toUInt8(text), value);
}

unsigned short parseUInt16(const std::string& text)
{
    return static_cast<unsigned short>(integerValue(toUInt16(text)));
}

short parseUShort(const std::string& text)
{
    return static_cast<short>(parseUInt16(text));
}

bool tryParseUInt16(const std::string& text, unsigned short& value)
{
    return storeOnSuccess(toUInt16(text), value);
}

bool tryParseUShort(const std::string& text, unsigned short& value)
{
    return tryParseUInt16(text, value);
}

unsigned int parseUInt32(const std::string& text)
{
    return static_cast<unsigned int>(integerValue(toUInt32(text)));
}

int parseUInt(const std::string& text)
{
    return static_cast<int>(parseUInt32(text));
}

long parseULong(const std::string& text)
{
    // Through a 32-bit int so that a 64-bit long also reads 4294967295 as -1.
    return static_cast<std::int32_t>(parseUInt32(text));
}

bool tryParseUInt32(const std::string& text, unsigned int& value)
{
    return storeOnSuccess(toUInt32(text), value);
}

bool tryParseUInt(const std::string& text, unsigned int& value)
{
    return tryParseUInt32(text, value);
}

bool tryParseULong(const std::string& text, unsigned long& value)
{
    return storeOnSuccess(toUInt32(text), value);
}

unsigned long parseHex(const std::string& text)
{
    return static_cast<unsigned long>(integerValue(detail::toUnsigned32(text, 16, UINT32_MAX)));
}

bool tryParseHex(const std::string& text, unsigned long& value)
{
    return storeOnSuccess(detail::toUnsigned32(text, 16, UINT32_MAX), value);
}

unsigned long parseOct(const std::string& text)
{
    return static_cast<unsigned long>(integerValue(detail::toUnsigned32(text, 8, UINT32_MAX)));
}

bool tryParseOct(const std::string& text, unsigned long& value)
{
    return storeOnSuccess(detail::toUnsigned32(text, 8, UINT32_MAX), value);
}

long long parseLongLong(const std::string& text)
{
    return integerValue(toInt64(text));
}

long long parseInt64(const std::string& text)
{
    return parseLongLong(text);
}

bool tryParseLongLong(const std::string& text, long long& value)
{
    // Unlike every other try form, this one hands back the routine's result even on failure.
    const Converted<long long> converted = toInt64(text);
    value = converted.value;
    return converted.outcome == Conversion::ok;
}

bool tryParseInt64(const std::string& text, long long& value)
{
    return storeOnSuccess(toInt64(text), value);
}

unsigned long long parseULongLong(const std::string& text)
{
    return integerValue(detail::toUnsigned64(text));
}

unsigned long long parseUInt64(const std::string& text)
{
    return parseULongLong(text);
}

bool tryParseULongLong(const std::string& text, unsigned long long& value)
{
    const Converted<unsigned long long> converted = detail::toUnsigned64(text);
    value = converted.value;
    return converted.outcome == Conversion::ok;
}

bool tryParseUInt64(const std::string& text, unsigned long long& value)
{
    return storeOnSuccess(detail::toUnsigned64(text), value);
}

float parseFloat(const std::string& text)
{
    return floatingValue(detail::toFloat(text));
}

bool tryParseFloat(const std::string& text, float& value)
{
    return storeOnSuccess(detail::toFloat(text), value);
}

double parseDouble(const std::string& text)
{
    return floatingValue(detail::toDouble(text));
}

bool tryParseDouble(const std::string& text, double& value)
{
    return storeOnSuccess(detail::toDouble(text), value);
}

long double parseLongDouble(const std::string& text)
{
    return floatingValue(detail::toLongDouble(text));
}

bool tryParseLongDouble(const std::string& text, long double& value)
{
    return storeOnSuccess(detail::toLongDouble(text), value);
}

bool parseBool(const std::string& text)
{
    bool value = false;
    if (!tryParseBool(text, value)) {
        throw std::logic_error(badFormat);
    }
    return value;
}

bool tryParseBool(const std::string& text, bool& value)
{
    int number = 0;
    if (tryParseInt32(text, number)) {
        value = number != 0;
        return true;
    }
    for (const char* word : {"true", "yes", "on"}) {
        if (kq::icompare(text, word)) {
            value = true;
            return true;
        }
    }
    for (const char* word : {"false", "no", "off"}) {
        if (kq::icompare(text, word)) {
            value = false;
            return true;
        }
    }
    return false;
}

}  // namespace NumberParser
}  // namespace kq
