#include <kq/NumberFormatter.h>
#include <kq/StringUtils.h>

#include "FuzzCheck.h"
#include "support/Thrown.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace kq::NumberFormatter;
using kqtest::fuzzCheck;

namespace {

bool isHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// Text: all hex digits decode to (L + 1) / 2 bytes that print back as the text, with a
// leading 0 for an odd length; otherwise the first other character is named.
void checkDecoding(const std::string& text)
{
    const auto bad = std::find_if_not(text.begin(), text.end(), isHexDigit);
    if (bad == text.end()) {
        const std::vector<unsigned char> bytes = string2buffer(text);
        fuzzCheck(bytes.size() == (text.size() + 1) / 2, "one byte per two digits");
        const std::string padded = (text.size() % 2 ? "0" : "") + kq::toUpper(text);
        fuzzCheck(buffer2stringU(bytes.data(), static_cast<unsigned int>(bytes.size())) == padded,
                  "decoded bytes print back as the text", text);
        return;
    }
    // The message stops at a NUL, as what() does.
    const std::string expected = std::string("runtime_error: invalid hex char '") + *bad + "'";
    fuzzCheck(kqtest::thrownBy([&] { string2buffer(text); }) == expected.c_str(),
              "the first non-hex character is named", text);
}

// Bytes: every printed form decodes back to the bytes.
void checkRoundTrip(const std::vector<unsigned char>& bytes)
{
    const unsigned int size = static_cast<unsigned int>(bytes.size());
    fuzzCheck(string2buffer(buffer2stringU(bytes.data(), size)) == bytes, "upper round trip");
    fuzzCheck(string2buffer(buffer2stringL(bytes.data(), size)) == bytes, "lower round trip");
    std::string spaced = buffer2stringU2(bytes.data(), size);
    spaced.erase(std::remove(spaced.begin(), spaced.end(), ' '), spaced.end());
    fuzzCheck(string2buffer(spaced) == bytes, "spaced round trip without its spaces");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    checkDecoding(std::string(reinterpret_cast<const char*>(data), size));
    checkRoundTrip(std::vector<unsigned char>(data, data + size));
    return 0;
}
