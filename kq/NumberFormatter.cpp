#include <kq/NumberFormatter.h>

#include <kq/StringUtils.h>

#include <cstring>
#include <stdexcept>

namespace kq {
namespace NumberFormatter {

namespace {

constexpr char upperDigits[] = "0123456789ABCDEF";
constexpr char lowerDigits[] = "0123456789abcdef";

// Sizes are computed in 64 bits: on the 32-bit target a large count times the
// characters per byte would wrap around and allocate too little.
std::string blankText(unsigned long long length)
{
    std::string text;
    if (length > text.max_size()) {
        throw std::length_error("NumberFormatter: result too long");
    }
    text.assign(static_cast<size_t>(length), ' ');
    return text;
}

// The two digits of every byte, high nibble first: one copy per byte instead of two
// look-ups. Every replayed block is printed through it.
struct PairTable {
    char pair[256][2];
};

constexpr PairTable makePairTable(const char (&digits)[17])
{
    PairTable table{};
    for (int byte = 0; byte < 256; ++byte) {
        table.pair[byte][0] = digits[byte >> 4];
        table.pair[byte][1] = digits[byte & 0x0F];
    }
    return table;
}

constexpr PairTable upperPairs = makePairTable(upperDigits);
constexpr PairTable lowerPairs = makePairTable(lowerDigits);

std::string hexText(const void* data, unsigned int size, const PairTable& pairs, bool spaced)
{
    const size_t step = spaced ? 3 : 2;
    std::string text = blankText(static_cast<unsigned long long>(size) * step);
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    char* out = &text[0];
    for (unsigned int i = 0; i < size; ++i, out += step) {
        std::memcpy(out, pairs.pair[bytes[i]], 2);
    }
    return text;
}

bool isPrintable(unsigned char byte)
{
    return byte >= 0x20 && byte <= 0x7E;
}

// The value of every hex digit, NotHex for every other byte.
const unsigned char NotHex = 0xFF;

struct HexTable {
    unsigned char value[256];
};

constexpr HexTable makeHexTable()
{
    HexTable table{};
    for (unsigned char& v : table.value) {
        v = NotHex;
    }
    for (int i = 0; i < 10; ++i) {
        table.value['0' + i] = static_cast<unsigned char>(i);
    }
    for (int i = 0; i < 6; ++i) {
        table.value['A' + i] = static_cast<unsigned char>(10 + i);
        table.value['a' + i] = static_cast<unsigned char>(10 + i);
    }
    return table;
}

constexpr HexTable hexTable = makeHexTable();

[[noreturn]] void invalidHexChar(char c)
{
    throw std::runtime_error(kq::format("invalid hex char '%c'", c));
}

unsigned char hexValue(char c)
{
    const unsigned char v = hexTable.value[static_cast<unsigned char>(c)];
    if (v == NotHex) {
        invalidHexChar(c);
    }
    return v;
}

}  // namespace

std::string buffer2stringU(const void* data, unsigned int size)
{
    return hexText(data, size, upperPairs, false);
}

std::string buffer2stringL(const void* data, unsigned int size)
{
    return hexText(data, size, lowerPairs, false);
}

std::string buffer2stringU2(const void* data, unsigned int size)
{
    return hexText(data, size, upperPairs, true);
}

std::string buffer2stringL2(const void* data, unsigned int size)
{
    return hexText(data, size, lowerPairs, true);
}

std::string bcd2string(const void* data, unsigned int size)
{
    std::string text = blankText(static_cast<unsigned long long>(size) * 2);
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (unsigned int i = 0; i < size; ++i) {
        text[size_t(i) * 2] = static_cast<char>('0' + (bytes[i] >> 4));
        text[size_t(i) * 2 + 1] = static_cast<char>('0' + (bytes[i] & 0x0F));
    }
    return text;
}

std::string formatBool(bool value)
{
    return value ? "yes" : "no";
}

std::string formatBuffer(const void* data, unsigned int size, int bytesPerLine)
{
    if (bytesPerLine < 1) {
        throw std::invalid_argument(
            kq::format("formatBuffer: bytesPerLine %d is below 1", bytesPerLine));
    }
    if (size == 0) {
        return std::string();
    }

    const unsigned long long perLine = static_cast<unsigned long long>(bytesPerLine);
    const unsigned long long lineLength = 4 * perLine + 3;
    const unsigned long long lines = (size + perLine - 1) / perLine;
    // Every line is laid out in full, short last line included; only its line feed goes.
    std::string text = blankText(lines * lineLength);
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (unsigned long long line = 0; line < lines; ++line) {
        const size_t base = static_cast<size_t>(line * lineLength);
        const size_t hexEnd = static_cast<size_t>(3 * perLine);
        text[base + hexEnd] = '|';
        text[base + lineLength - 1] = '\n';
        for (unsigned long long i = 0; i < perLine && line * perLine + i < size; ++i) {
            const unsigned char byte = bytes[line * perLine + i];
            text[base + 3 * i] = upperDigits[byte >> 4];
            text[base + 3 * i + 1] = upperDigits[byte & 0x0F];
            text[base + hexEnd + 2 + i] = isPrintable(byte) ? static_cast<char>(byte) : '.';
        }
    }
    text.pop_back();
    return text;
}

std::vector<unsigned char> string2buffer(const std::string& text)
{
    std::vector<unsigned char> bytes((text.size() + 1) / 2);
    // With an odd length the first digit stands alone as the first byte.
    size_t pos = 0;
    size_t out = 0;
    if (text.size() % 2 != 0) {
        bytes[out++] = static_cast<unsigned char>(hexValue(text[pos++]));
    }
    for (; pos < text.size(); pos += 2) {
        const unsigned char high = hexValue(text[pos]);
        const unsigned char low = hexValue(text[pos + 1]);
        bytes[out++] = static_cast<unsigned char>(high << 4 | low);
    }
    return bytes;
}

}  // namespace NumberFormatter
}  // namespace kq
