#include <kq/detail/NumberConversion.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace kq {
namespace detail {

namespace {

// The routine must have consumed every character; a NUL inside the text stops it early.
bool endsAtEnd(const std::string& text, const char* end)
{
    return end == text.c_str() + text.size();
}

// The sign that strtoul sees: after leading white space, as the routine skips it.
bool hasMinusSign(const std::string& text)
{
    size_t pos = 0;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) {
        ++pos;
    }
    return pos < text.size() && text[pos] == '-';
}

// 0 to 9 for a decimal digit, above 9 for any other character.
unsigned int digitValue(char c)
{
    return static_cast<unsigned int>(static_cast<unsigned char>(c)) - '0';
}

// An optional sign and 1 to 18 decimal digits, nothing else: what almost every caller
// passes. The magnitude cannot overflow, so the routine would return exactly the value
// read here, negated in the type's own arithmetic for a '-'.
bool readPlainDecimal(const std::string& text, bool& negative, unsigned long long& magnitude)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) {
        ++p;
    }
    if (p == end || end - p > 18) {
        return false;
    }
    // Two digits a step halve the chain of multiplications; an odd count starts with one.
    unsigned long long value = 0;
    if ((end - p) % 2 != 0) {
        value = digitValue(*p++);
        if (value > 9) {
            return false;
        }
    }
    for (; p != end; p += 2) {
        const unsigned int high = digitValue(p[0]);
        const unsigned int low = digitValue(p[1]);
        if (high > 9 || low > 9) {
            return false;
        }
        value = value * 100 + high * 10 + low;
    }
    magnitude = value;
    return true;
}

// strtoll's result for a text in base 10 (errno cleared before): its value, and whether it
// consumed the text and stayed in range.
Converted<long long> routineSigned(const std::string& text)
{
    bool negative = false;
    unsigned long long magnitude = 0;
    if (readPlainDecimal(text, negative, magnitude)) {
        const long long value = static_cast<long long>(magnitude);
        return {Conversion::ok, negative ? -value : value};
    }
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (!endsAtEnd(text, end)) {
        return {Conversion::badFormat, value};
    }
    if ((value == LLONG_MIN || value == LLONG_MAX) && errno == ERANGE) {
        return {Conversion::outOfRange, value};
    }
    return {Conversion::ok, value};
}

// strtoull's result for a text (errno cleared before): its value, and whether it consumed
// the text and stayed in range.
Converted<unsigned long long> routineUnsigned(const std::string& text, int base)
{
    bool negative = false;
    unsigned long long magnitude = 0;
    if (base == 10 && readPlainDecimal(text, negative, magnitude)) {
        return {Conversion::ok, negative ? 0 - magnitude : magnitude};
    }
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, base);
    if (!endsAtEnd(text, end)) {
        return {Conversion::badFormat, value};
    }
    if (value == ULLONG_MAX && errno == ERANGE) {
        return {Conversion::outOfRange, value};
    }
    return {Conversion::ok, value};
}

// The 32-bit routine reports any magnitude beyond 32 bits as overflow and negates the rest
// in 32 bits: "-1" is 4294967295. A failure carries what strtoull returned.
Converted<unsigned long long> fold32(bool negative, unsigned long long magnitude,
                                     unsigned long long max)
{
    const unsigned long long value = negative ? 0 - magnitude : magnitude;
    if (magnitude > 0xFFFFFFFFull) {
        return {Conversion::outOfRange, value};
    }
    const unsigned long long bits = negative ? (0 - magnitude) & 0xFFFFFFFFull : magnitude;
    if (bits > max) {
        return {Conversion::outOfRange, bits};
    }
    return {Conversion::ok, bits};
}

float convert(const char* text, char** end, float*)
{
    return std::strtof(text, end);
}

double convert(const char* text, char** end, double*)
{
    return std::strtod(text, end);
}

long double convert(const char* text, char** end, long double*)
{
    return std::strtold(text, end);
}

template <typename T>
Converted<T> toFloating(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const T value = convert(text.c_str(), &end, static_cast<T*>(nullptr));
    if (!endsAtEnd(text, end)) {
        return {Conversion::badFormat, value};
    }
    if (errno == ERANGE) {
        return {Conversion::outOfRange, value};
    }
    return {Conversion::ok, value};
}

}  // namespace

// Each conversion clears errno first, the plain decimal texts too: callers may read it after.
Converted<long long> toSigned(const std::string& text, long long min, long long max)
{
    errno = 0;
    const Converted<long long> routine = routineSigned(text);
    if (routine.outcome == Conversion::ok && (routine.value < min || routine.value > max)) {
        return {Conversion::outOfRange, routine.value};
    }
    return routine;
}

Converted<unsigned long long> toUnsigned32(const std::string& text, int base,
                                           unsigned long long max)
{
    errno = 0;
    bool negative = false;
    unsigned long long magnitude = 0;
    if (base == 10 && readPlainDecimal(text, negative, magnitude)) {
        return fold32(negative, magnitude, max);
    }
    const Converted<unsigned long long> routine = routineUnsigned(text, base);
    if (routine.outcome != Conversion::ok) {
        return routine;
    }
    // strtoull negated a '-' in 64 bits.
    negative = hasMinusSign(text);
    return fold32(negative, negative ? 0 - routine.value : routine.value, max);
}

Converted<unsigned long long> toUnsigned64(const std::string& text)
{
    errno = 0;
    return routineUnsigned(text, 10);
}

Converted<float> toFloat(const std::string& text)
{
    return toFloating<float>(text);
}

Converted<double> toDouble(const std::string& text)
{
    return toFloating<double>(text);
}

Converted<long double> toLongDouble(const std::string& text)
{
    return toFloating<long double>(text);
}

}  // namespace detail
}  // namespace kq
