#include "Atr.h"

#include "common/Hex.h"

#include <kq/StringUtils.h>

#include <algorithm>
#include <cstddef>

namespace quorvex {

namespace {

const std::size_t MaxAtrLength = 33;
const char* const BytesOfGroup[] = {"TA", "TB", "TC", "TD"};

// Clock rate conversion factor Fi with its maximum frequency, and baud rate
// adjustment factor Di, by their 4-bit index; 0 where the value is reserved.
const int Fi[16] = {372, 372, 558, 744, 1116, 1488, 1860, 0, 0, 512, 768, 1024, 1536, 2048, 0, 0};
const char* const FMax[16] = {"4", "5", "6",   "8",  "12", "16", "20", "",
                              "",  "5", "7.5", "10", "15", "20", "",   ""};
const int Di[16] = {0, 1, 2, 4, 8, 16, 32, 64, 12, 20, 0, 0, 0, 0, 0, 0};

std::string ta1Meaning(unsigned char value)
{
    const int fi = Fi[value >> 4];
    const int di = Di[value & 0x0F];
    const std::string f =
        fi ? kq::format("Fi=%d, f max %s MHz", fi, FMax[value >> 4]) : std::string("Fi reserved");
    return f + (di ? kq::format(", Di=%d", di) : std::string(", Di reserved"));
}

std::string t15Meaning(char group, unsigned char value)
{
    if (group == 'B') {
        return kq::format("SPU %s", value == 0 ? "not used" : "used");
    }
    static const char* const clockStop[] = {"not supported", "state L", "state H", "no preference"};
    std::string classes;
    for (int bit = 0; bit < 3; ++bit) {
        if (value & (1 << bit)) {
            classes += std::string(classes.empty() ? "" : " ") + "ABC"[bit];
        }
    }
    if (group == 'A') {
        return kq::format("clock stop %s, class %s", clockStop[value >> 6],
                          classes.empty() ? "none" : classes.c_str());
    }
    return "global";
}

std::string t1Meaning(char group, unsigned char value)
{
    if (group == 'A') {
        return kq::format("IFSC %d", value);
    }
    if (group == 'B') {
        return kq::format("BWI %d, CWI %d", value >> 4, value & 0x0F);
    }
    return value & 1 ? "error detection CRC" : "error detection LRC";
}

// What TAi, TBi or TCi says; protocol is the one the TD before it named (-1 for i = 1).
std::string interfaceMeaning(char group, int i, int protocol, unsigned char value)
{
    if (i == 1) {
        if (group == 'A') {
            return ta1Meaning(value);
        }
        if (group == 'B') {
            return "VPP (deprecated)";
        }
        return value == 255 ? "guard time: minimum" : kq::format("extra guard time N=%d", value);
    }
    if (i == 2 && group == 'A') {
        return kq::format("specific mode T=%d%s", value & 0x0F,
                          value & 0x80 ? ", cannot change" : ", can change");
    }
    if (i == 2 && group == 'B') {
        return "VPP (deprecated)";
    }
    if (i == 2 && group == 'C' && protocol == 0) {
        return kq::format("WI %d (T=0 work waiting time)", value);
    }
    if (protocol == 15) {
        return t15Meaning(group, value);
    }
    if (protocol == 1 && i > 2) {
        return t1Meaning(group, value);
    }
    return kq::format("for T=%d", protocol);
}

std::string tdMeaning(unsigned char value)
{
    const int protocol = value & 0x0F;
    return kq::format("T=%d%s", protocol, protocol == 15 ? " (global bytes follow)" : "");
}

// Reads the interface bytes after T0 and the TDi; fills protocols and hasTck.
// Returns the index of the first historical byte.
std::size_t readInterfaceBytes(const std::vector<unsigned char>& bytes, Atr& atr)
{
    std::size_t p = 2;
    unsigned char indicator = bytes[1];
    for (int i = 1, protocol = -1;; ++i) {
        for (int group = 0; group < 4; ++group) {
            if (!(indicator & (0x10 << group))) {
                continue;
            }
            const std::string name = BytesOfGroup[group] + std::to_string(i);
            if (p >= bytes.size()) {
                throw AtrError(kq::format("%s announces %s, but the ATR ends after %u bytes",
                                          i == 1 ? "T0" : ("TD" + std::to_string(i - 1)).c_str(),
                                          name.c_str(), static_cast<unsigned>(bytes.size())));
            }
            const unsigned char value = bytes[p++];
            atr.structure.push_back({name, value,
                                     group == 3
                                         ? tdMeaning(value)
                                         : interfaceMeaning("ABC"[group], i, protocol, value)});
        }
        if (!(indicator & 0x80)) {
            return p;
        }
        indicator = bytes[p - 1];
        protocol = indicator & 0x0F;
        atr.hasTck = atr.hasTck || protocol != 0;
        if (protocol != 15 && std::find(atr.protocols.begin(), atr.protocols.end(), protocol) ==
                                  atr.protocols.end()) {
            atr.protocols.push_back(protocol);
        }
    }
}

void checkLength(const std::vector<unsigned char>& bytes)
{
    if (bytes.empty()) {
        throw AtrError("the ATR is empty");
    }
    if (bytes.size() > MaxAtrLength) {
        throw AtrError(kq::format("an ATR has 33 bytes at most, this one %u",
                                  static_cast<unsigned>(bytes.size())));
    }
    if (bytes[0] != 0x3B && bytes[0] != 0x3F) {
        throw AtrError(
            kq::format("TS is %02X: 3B (direct convention) or 3F (inverse) expected", bytes[0]));
    }
    if (bytes.size() < 2) {
        throw AtrError("the ATR ends after TS: T0 is missing");
    }
}

}  // namespace

Atr decodeAtr(const std::vector<unsigned char>& bytes)
{
    checkLength(bytes);
    Atr atr;
    atr.structure.push_back(
        {"TS", bytes[0], bytes[0] == 0x3B ? "direct convention" : "inverse convention"});
    const std::size_t k = bytes[1] & 0x0F;
    atr.structure.push_back(
        {"T0", bytes[1], kq::format("%u historical bytes", static_cast<unsigned>(k))});
    const std::size_t first = readInterfaceBytes(bytes, atr);
    if (atr.protocols.empty()) {
        atr.protocols.push_back(0);
    }
    if (bytes.size() < first + k) {
        throw AtrError(kq::format("T0 announces %u historical bytes, only %u follow",
                                  static_cast<unsigned>(k),
                                  static_cast<unsigned>(bytes.size() - first)));
    }
    atr.historical.assign(bytes.begin() + first, bytes.begin() + first + k);
    const std::size_t end = first + k + (atr.hasTck ? 1 : 0);
    if (bytes.size() < end) {
        throw AtrError("TCK is missing: a protocol other than T=0 is offered");
    }
    if (bytes.size() > end) {
        throw AtrError(kq::format("%u byte%s more than T0 and the TDi announce",
                                  static_cast<unsigned>(bytes.size() - end),
                                  bytes.size() - end > 1 ? "s" : ""));
    }
    if (atr.hasTck) {
        atr.tck = bytes.back();
        for (std::size_t i = 1; i < bytes.size(); ++i) {
            atr.checkXor ^= bytes[i];
        }
    }
    return atr;
}

std::string protocolList(const Atr& atr)
{
    std::string text;
    for (const int protocol : atr.protocols) {
        text += kq::format("%sT=%d", text.empty() ? "" : " ", protocol);
    }
    return text;
}

std::vector<std::string> describeAtr(const Atr& atr)
{
    std::vector<std::string> lines;
    for (const auto& b : atr.structure) {
        lines.push_back(kq::format("%-4s%02X  %s", b.name.c_str(), b.value, b.meaning.c_str()));
    }
    lines.push_back("protocols: " + protocolList(atr));
    const auto& h = atr.historical;
    lines.push_back(
        h.empty() ? std::string("historical bytes: none")
                  : kq::format("historical bytes: %s  \"%s\"",
                               separatedHex(h.data(), static_cast<unsigned>(h.size())).c_str(),
                               printable(h).c_str()));
    if (!atr.hasTck) {
        lines.push_back("TCK: absent (T=0 only)");
    } else if (atr.tckValid()) {
        lines.push_back(kq::format("TCK: %02X valid", atr.tck));
    } else {
        lines.push_back(
            kq::format("TCK: %02X wrong, %02X expected", atr.tck, atr.tck ^ atr.checkXor));
    }
    return lines;
}

}  // namespace quorvex
