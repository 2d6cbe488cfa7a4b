#pragma once

#include <string>

// The standard conversion routines behind NumberParser, wrapped so that both
// platforms give the 32-bit Windows results.
namespace kq {
namespace detail {

enum class Conversion { ok, badFormat, outOfRange };

template <typename T>
struct Converted {
    Conversion outcome;
    // The converted value; for the 64-bit integers also the routine's result on failure.
    T value;
};

// strtoll in base 10, then the range [min, max].
Converted<long long> toSigned(const std::string& text, long long min, long long max);
// What the 32-bit strtoul of the base gives, then the range [0, max].
Converted<unsigned long long> toUnsigned32(const std::string& text, int base,
                                           unsigned long long max);
// strtoull in base 10.
Converted<unsigned long long> toUnsigned64(const std::string& text);

Converted<float> toFloat(const std::string& text);
Converted<double> toDouble(const std::string& text);
Converted<long double> toLongDouble(const std::string& text);

}  // namespace detail
}  // namespace kq
