#include "Atr.h"

#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using kqtest::fuzzCheck;

// A decoded ATR accounts for every byte it was given, in order; anything else is
// refused with an AtrError, never another exception.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<unsigned char> bytes(data, data + size);
    quorvex::Atr atr;
    try {
        atr = quorvex::decodeAtr(bytes);
    } catch (const quorvex::AtrError&) {
        return 0;
    }
    std::vector<unsigned char> rebuilt;
    for (const auto& b : atr.structure) {
        rebuilt.push_back(b.value);
    }
    rebuilt.insert(rebuilt.end(), atr.historical.begin(), atr.historical.end());
    if (atr.hasTck) {
        rebuilt.push_back(atr.tck);
    }
    fuzzCheck(rebuilt == bytes, "TS, T0, the interface bytes, the historical bytes and TCK");
    fuzzCheck(size <= 33 && (bytes[0] == 0x3B || bytes[0] == 0x3F), "an ATR's length and TS");
    fuzzCheck(!atr.protocols.empty(), "some protocol is offered");
    unsigned char check = 0;
    for (std::size_t i = 1; i < size; ++i) {
        check ^= bytes[i];
    }
    fuzzCheck(!atr.hasTck || (check == 0) == atr.tckValid(), "TCK makes the check sum 0");
    fuzzCheck(quorvex::describeAtr(atr).size() == atr.structure.size() + 3, "one line a byte");
    return 0;
}
