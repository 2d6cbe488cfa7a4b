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
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    return pos < text.size() && text[pos] == '-';
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
    if (!endsAtEnd(text, end))
        return {Conversion::badFormat, value};
    if (errno == ERANGE)
        return {Conversion::outOfRange, value};
    return {Conversion::ok, value};
}

}  // namespace

Converted<long long> toSigned(const std::string& text, long long min, long long max)
{
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (!endsAtEnd(text, end))
        return {Conversion::badFormat, value};
    if ((value == LLONG_MIN || value == LLONG_MAX) && errno == ERANGE)
        return {Conversion::outOfRange, value};
    if (value < min || value > max)
        return {Conversion::outOfRange, value};
    return {Conversion::ok, value};
}

Converted<unsigned long long> toUnsigned32(const std::string& text, int base,
                                           unsigned long long max)
{
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, base);
    if (!endsAtEnd(text, end))
        return {Conversion::badFormat, value};
    if (value == ULLONG_MAX && errno == ERANGE)
        return {Conversion::outOfRange, value};
    // strtoull negated a '-' in 64 bits. The 32-bit routine reports any magnitude
    // beyond 32 bits as overflow and negates the rest in 32 bits: "-1" is 4294967295.
    const bool negative = hasMinusSign(text);
    const unsigned long long magnitude = negative ? 0 - value : value;
    if (magnitude > 0xFFFFFFFFull)
        return {Conversion::outOfRange, value};
    const unsigned long long bits = negative ? (0 - magnitude) & 0xFFFFFFFFull : magnitude;
    if (bits > max)
        return {Conversion::outOfRange, bits};
    return {Conversion::ok, bits};
}

Converted<unsigned long long> toUnsigned64(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (!endsAtEnd(text, end))
        return {Conversion::badFormat, value};
    if (value == ULLONG_MAX && errno == ERANGE)
        return {Conversion::outOfRange, value};
    return {Conversion::ok, value};
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
