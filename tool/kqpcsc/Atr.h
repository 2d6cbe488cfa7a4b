#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace quorvex {

// An ATR that is not one: its message names what is wrong.
struct AtrError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One byte of the ATR with its name ("TS", "T0", "TA1", "TD2", "TCK") and what it says.
struct AtrByte {
    std::string name;
    unsigned char value;
    std::string meaning;
};

// An answer-to-reset taken apart as ISO/IEC 7816-3 lays it out.
struct Atr {
    // TS, T0 and the interface bytes in their order.
    std::vector<AtrByte> structure;
    // The transmission protocols offered (T=15 is not one); T=0 when no TD1.
    std::vector<int> protocols;
    std::vector<unsigned char> historical;
    // TCK is there when a TDi names a protocol other than T=0.
    bool hasTck = false;
    unsigned char tck = 0;
    // The exclusive-or of T0 to TCK, 0 for a valid TCK.
    unsigned char checkXor = 0;

    bool inverseConvention() const { return structure.front().value == 0x3F; }
    bool tckValid() const { return !hasTck || checkXor == 0; }
};

// Throws AtrError for bytes that are not an ATR (empty, bad TS, fewer or more
// bytes than T0 and the TDi announce, longer than 33 bytes). A wrong TCK is
// decoded, and reported by tckValid().
Atr decodeAtr(const std::vector<unsigned char>& bytes);

// The decoded ATR as lines of text, one a byte, then protocols, historical bytes, TCK.
std::vector<std::string> describeAtr(const Atr& atr);

// "T=0 T=1".
std::string protocolList(const Atr& atr);

}  // namespace quorvex
