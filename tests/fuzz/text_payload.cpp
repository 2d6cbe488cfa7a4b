#include "TextPayload.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

using namespace quorvex;
using kqtest::fuzzCheck;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const long declared = input.ConsumeIntegralInRange<long>(-1, 64);
    const auto dot = input.ConsumeIntegral<unsigned char>();
    const std::string text = input.ConsumeRemainingBytesAsString();
    const TextPayload payload = decodeTextPayload(text, declared, dot);
    fuzzCheck(payload.bytes.size() == payload.dots.size(), "a dot flag for every byte");
    fuzzCheck(declared < 0 || payload.bytes.size() <= static_cast<std::size_t>(declared),
              "never more bytes than the log declares");
    const std::size_t start = !text.empty() && text[0] == ' ' ? 1 : 0;
    fuzzCheck(payload.bytes.size() ==
                  (declared < 0 ? text.size() - start
                                : std::min<std::size_t>(text.size() - start,
                                                        static_cast<std::size_t>(declared))),
              "every character up to the declared count is a byte");
    for (std::size_t i = 0; i < payload.bytes.size(); ++i) {
        const char shown = text[start + i];
        fuzzCheck(payload.dots[i] == (shown == '.'), "dots are where the log shows '.'");
        fuzzCheck(payload.bytes[i] == (shown == '.' ? dot : static_cast<unsigned char>(shown)),
                  "a byte is its character, a '.' the dot byte");
    }
    return 0;
}
