#include <kq/NumberParser.h>

#include <benchmark/benchmark.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

namespace np = kq::NumberParser;

// Values of every length, as option and configuration texts carry them.
const std::vector<std::string> signedTexts = {"0",     "7",          "-42",         "115200",
                                              "-1000", "2147483647", "-2147483648", "65535"};
const std::vector<std::string> unsignedTexts = {"0",    "7",          "42",    "115200",
                                                "1000", "4294967295", "65535", "3000000"};

// The C library as a careful caller uses it, doing what the parser promises: errno
// cleared first, the whole text consumed, a value out of range refused.
long checkedStrtol(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || end == text.c_str()) {
        return -1;
    }
    return value;
}

unsigned long checkedStrtoul(const std::string& text)
{
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || end == text.c_str()) {
        return 0;
    }
    return value;
}

void BM_parse_int__kq(benchmark::State& state)
{
    for (auto _ : state) {
        for (const std::string& text : signedTexts) {
            benchmark::DoNotOptimize(np::parseInt32(text));
        }
    }
}
BENCHMARK(BM_parse_int__kq);

void BM_parse_int__strtol(benchmark::State& state)
{
    for (auto _ : state) {
        for (const std::string& text : signedTexts) {
            benchmark::DoNotOptimize(checkedStrtol(text));
        }
    }
}
BENCHMARK(BM_parse_int__strtol);

void BM_parse_int__from_chars(benchmark::State& state)
{
    for (auto _ : state) {
        for (const std::string& text : signedTexts) {
            int value = 0;
            std::from_chars(text.data(), text.data() + text.size(), value);
            benchmark::DoNotOptimize(value);
        }
    }
}
BENCHMARK(BM_parse_int__from_chars);

void BM_parse_unsigned__kq(benchmark::State& state)
{
    for (auto _ : state) {
        for (const std::string& text : unsignedTexts) {
            benchmark::DoNotOptimize(np::parseUInt32(text));
        }
    }
}
BENCHMARK(BM_parse_unsigned__kq);

void BM_parse_unsigned__strtoul(benchmark::State& state)
{
    for (auto _ : state) {
        for (const std::string& text : unsignedTexts) {
            benchmark::DoNotOptimize(checkedStrtoul(text));
        }
    }
}
BENCHMARK(BM_parse_unsigned__strtoul);

void BM_parse_unsigned__from_chars(benchmark::State& state)
{
    for (auto _ : state) {
        for (const std::string& text : unsignedTexts) {
            unsigned int value = 0;
            std::from_chars(text.data(), text.data() + text.size(), value);
            benchmark::DoNotOptimize(value);
        }
    }
}
BENCHMARK(BM_parse_unsigned__from_chars);

}  // namespace
