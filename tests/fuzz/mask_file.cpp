#include "MaskFile.h"

#include "FuzzCheck.h"
#include "support/Thrown.h"

#include <cstddef>
#include <cstdint>
#include <regex>
#include <string>
#include <vector>

using namespace quorvex;
using kqtest::fuzzCheck;

namespace {

bool samePattern(const BytePattern& a, const BytePattern& b)
{
    return a.bytes == b.bytes && a.anyTail == b.anyTail;
}

// The bytes a pattern stands for, any byte taken as fill; with a tail, one more.
std::vector<unsigned char> instance(const BytePattern& pattern, unsigned char fill)
{
    std::vector<unsigned char> bytes;
    for (int b : pattern.bytes) {
        bytes.push_back(b == BytePattern::any ? fill : static_cast<unsigned char>(b));
    }
    if (pattern.anyTail) {
        bytes.push_back(fill);
    }
    return bytes;
}

void checkPattern(const BytePattern& pattern, unsigned char fill)
{
    std::vector<unsigned char> bytes = instance(pattern, fill);
    fuzzCheck(pattern.matches(bytes), "a pattern matches the bytes it stands for", pattern.text());
    bytes.push_back(fill);
    fuzzCheck(pattern.matches(bytes) == pattern.anyTail, "one byte more matches only with '*'",
              pattern.text());
    bytes.resize(pattern.bytes.size());
    if (!bytes.empty()) {
        bytes.pop_back();
        fuzzCheck(!pattern.matches(bytes), "one byte less never matches", pattern.text());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    MaskSet masks;
    const std::string thrown = kqtest::thrownBy([&] { masks = parseMasks(text); });
    if (!thrown.empty()) {
        fuzzCheck(std::regex_search(thrown, std::regex("^runtime_error: line [0-9]+: ")),
                  "a refused mask file names the line", thrown);
        return 0;
    }
    const MaskSet again = parseMasks(maskText(masks));
    fuzzCheck(again.size() == masks.size(), "the written masks read back", maskText(masks));
    for (const auto& mask : masks) {
        fuzzCheck(mask.first >= 1, "masks stand on log lines from 1");
        fuzzCheck(again.count(mask.first) && samePattern(again.at(mask.first), mask.second),
                  "each written pattern reads back the same", mask.second.text());
        checkPattern(mask.second, size ? data[0] : 0);
    }
    return 0;
}
