#include <kq/NumberFormatter.h>
#include <kq/StringUtils.h>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

namespace nf = kq::NumberFormatter;

const unsigned int blockSize = 4096;

std::vector<unsigned char> block()
{
    std::vector<unsigned char> bytes(blockSize);
    for (unsigned int i = 0; i < blockSize; ++i)
        bytes[i] = static_cast<unsigned char>(i * 7);
    return bytes;
}

void setBytes(benchmark::State& state)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * blockSize);
}

void BM_buffer2stringU(benchmark::State& state)
{
    const std::vector<unsigned char> bytes = block();
    for (auto _ : state)
        benchmark::DoNotOptimize(nf::buffer2stringU(bytes.data(), blockSize));
    setBytes(state);
}
BENCHMARK(BM_buffer2stringU);

void BM_string2buffer(benchmark::State& state)
{
    const std::vector<unsigned char> bytes = block();
    const std::string text = nf::buffer2stringU(bytes.data(), blockSize);
    for (auto _ : state)
        benchmark::DoNotOptimize(nf::string2buffer(text));
    setBytes(state);
}
BENCHMARK(BM_string2buffer);

void BM_formatBuffer(benchmark::State& state)
{
    const std::vector<unsigned char> bytes = block();
    for (auto _ : state)
        benchmark::DoNotOptimize(nf::formatBuffer(bytes.data(), blockSize, 16));
    setBytes(state);
}
BENCHMARK(BM_formatBuffer);

void BM_format(benchmark::State& state)
{
    const std::string text(blockSize, 'x');
    for (auto _ : state)
        benchmark::DoNotOptimize(kq::format("%s %d %s", text.c_str(), 42, "end"));
    setBytes(state);
}
BENCHMARK(BM_format);

}  // namespace
