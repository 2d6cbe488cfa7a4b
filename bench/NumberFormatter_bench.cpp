#include <kq/NumberFormatter.h>
#include <kq/StringUtils.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace nf = kq::NumberFormatter;

const unsigned int blockSize = 4096;

std::vector<unsigned char> block()
{
    std::vector<unsigned char> bytes(blockSize);
    for (unsigned int i = 0; i < blockSize; ++i) {
        bytes[i] = static_cast<unsigned char>(i * 7);
    }
    return bytes;
}

void setBytes(benchmark::State& state)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * blockSize);
}

void BM_hex_encode__kq(benchmark::State& state)
{
    const std::vector<unsigned char> bytes = block();
    for (auto _ : state) {
        benchmark::DoNotOptimize(nf::buffer2stringU(bytes.data(), blockSize));
    }
    setBytes(state);
}
BENCHMARK(BM_hex_encode__kq);

void BM_hex_encode_spaced__kq(benchmark::State& state)
{
    const std::vector<unsigned char> bytes = block();
    for (auto _ : state) {
        benchmark::DoNotOptimize(nf::buffer2stringU2(bytes.data(), blockSize));
    }
    setBytes(state);
}
BENCHMARK(BM_hex_encode_spaced__kq);

// The peer: a table of the 256 digit pairs, one copy per byte into a sized string.
const char* pairTable()
{
    static char pairs[512];
    for (int byte = 0; byte < 256; ++byte) {
        pairs[2 * byte] = "0123456789ABCDEF"[byte >> 4];
        pairs[2 * byte + 1] = "0123456789ABCDEF"[byte & 0x0F];
    }
    return pairs;
}

std::string pairEncode(const std::vector<unsigned char>& bytes, std::size_t step)
{
    static const char* const pairs = pairTable();
    std::string text(bytes.size() * step, ' ');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::memcpy(&text[i * step], pairs + 2 * bytes[i], 2);
    }
    return text;
}

void BM_hex_encode__table(benchmark::State& state)
{
    const std::vector<unsigned char> bytes = block();
    for (auto _ : state) {
        benchmark::DoNotOptimize(pairEncode(bytes, 2));
    }
    setBytes(state);
}
BENCHMARK(BM_hex_encode__table);

void BM_hex_encode_spaced__table(benchmark::State& state)
{
    const std::vector<unsigned char> bytes = block();
    for (auto _ : state) {
        benchmark::DoNotOptimize(pairEncode(bytes, 3));
    }
    setBytes(state);
}
BENCHMARK(BM_hex_encode_spaced__table);

// 8 KiB of hex text.
std::string hexText()
{
    const std::vector<unsigned char> bytes = block();
    return nf::buffer2stringU(bytes.data(), blockSize);
}

void BM_hex_decode__kq(benchmark::State& state)
{
    const std::string text = hexText();
    for (auto _ : state) {
        benchmark::DoNotOptimize(nf::string2buffer(text));
    }
    setBytes(state);
}
BENCHMARK(BM_hex_decode__kq);

// The peer: a 256-entry table, checked once per pair of digits.
std::vector<unsigned char> tableDecode(const std::string& text)
{
    static const struct Table {
        signed char value[256];
        Table()
        {
            for (signed char& v : value) {
                v = -1;
            }
            for (int i = 0; i < 10; ++i) {
                value['0' + i] = static_cast<signed char>(i);
            }
            for (int i = 0; i < 6; ++i) {
                value['A' + i] = value['a' + i] = static_cast<signed char>(10 + i);
            }
        }
    } table;
    std::vector<unsigned char> bytes(text.size() / 2);
    const unsigned char* digits = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = table.value[digits[2 * i]];
        const int low = table.value[digits[2 * i + 1]];
        if ((high | low) < 0) {
            throw std::runtime_error("invalid hex char");
        }
        bytes[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return bytes;
}

void BM_hex_decode__table(benchmark::State& state)
{
    const std::string text = hexText();
    for (auto _ : state) {
        benchmark::DoNotOptimize(tableDecode(text));
    }
    setBytes(state);
}
BENCHMARK(BM_hex_decode__table);

void BM_formatBuffer(benchmark::State& state)
{
    const std::vector<unsigned char> bytes = block();
    for (auto _ : state) {
        benchmark::DoNotOptimize(nf::formatBuffer(bytes.data(), blockSize, 16));
    }
    setBytes(state);
}
BENCHMARK(BM_formatBuffer);

void BM_format(benchmark::State& state)
{
    const std::string text(blockSize, 'x');
    for (auto _ : state) {
        benchmark::DoNotOptimize(kq::format("%s %d %s", text.c_str(), 42, "end"));
    }
    setBytes(state);
}
BENCHMARK(BM_format);

}  // namespace
