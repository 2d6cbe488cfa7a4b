#include <kq/StringUtils.h>

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <cstdio>
#include <string>

namespace {

// The idiom kq::format replaces: snprintf straight into a string of ample size.
template <typename... Args>
std::string snprintfString(std::size_t capacity, const char* fmt, Args... args)
{
    std::string text(capacity, '\0');
    const int n = std::snprintf(&text[0], capacity + 1, fmt, args...);
    text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return text;
}

const std::string longText(1024, 'x');

void BM_format_short__kq(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(kq::format("openDevice( '%s' ) OK", "ttyUSB0"));
    }
}
BENCHMARK(BM_format_short__kq);

void BM_format_short__snprintf(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(snprintfString(64, "openDevice( '%s' ) OK", "ttyUSB0"));
    }
}
BENCHMARK(BM_format_short__snprintf);

void BM_format_short__fmt(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(fmt::format("openDevice( '{}' ) OK", "ttyUSB0"));
    }
}
BENCHMARK(BM_format_short__fmt);

void BM_format_several__kq(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            kq::format("%04d-%02d-%02d-%s.log %ld of %lu", 2026, 12, 7, "port", -5L, 42UL));
    }
}
BENCHMARK(BM_format_several__kq);

void BM_format_several__snprintf(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            snprintfString(64, "%04d-%02d-%02d-%s.log %ld of %lu", 2026, 12, 7, "port", -5L, 42UL));
    }
}
BENCHMARK(BM_format_several__snprintf);

void BM_format_several__fmt(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            fmt::format("{:04d}-{:02d}-{:02d}-{}.log {} of {}", 2026, 12, 7, "port", -5L, 42UL));
    }
}
BENCHMARK(BM_format_several__fmt);

void BM_format_long__kq(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(kq::format("%s", longText.c_str()));
    }
}
BENCHMARK(BM_format_long__kq);

void BM_format_long__snprintf(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(snprintfString(longText.size(), "%s", longText.c_str()));
    }
}
BENCHMARK(BM_format_long__snprintf);

void BM_format_long__fmt(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(fmt::format("{}", longText));
    }
}
BENCHMARK(BM_format_long__fmt);

}  // namespace
