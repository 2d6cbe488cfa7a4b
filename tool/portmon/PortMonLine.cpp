#include "PortMonLine.h"

#include "LineTime.h"

#include <kq/StringUtils.h>

#include <algorithm>
#include <cctype>

namespace quorvex {

namespace {

struct Keyword {
    const char* name;
    ActionKind kind;
    bool lenientOnly;
};

const Keyword keywords[] = {
    {"IRP_MJ_WRITE", ActionKind::Send, false},
    {"IRP_MJ_READ", ActionKind::Recv, false},
    {"IOCTL_SERIAL_PURGE", ActionKind::Purge, false},
    {"IOCTL_SERIAL_SET_BAUD_RATE", ActionKind::Settings, false},
    {"IOCTL_SERIAL_SET_LINE_CONTROL", ActionKind::Settings, false},
    {"VCOMM_WriteComm", ActionKind::Send, true},
    {"VCOMM_ReadComm", ActionKind::Recv, true},
    {"VCOMM_PurgeComm", ActionKind::Purge, true},
};

const Keyword* keywordOf(const std::string& field, bool lenient, bool settings)
{
    for (const Keyword& k : keywords) {
        const bool wanted =
            (lenient || !k.lenientOnly) && (settings || k.kind != ActionKind::Settings);
        if (wanted && kq::icompare(field, k.name)) {
            return &k;
        }
    }
    return nullptr;
}

// Any read, write or purge name in the line, in any case and inside any word.
bool namesRequest(const std::string& line)
{
    const std::string text = kq::toUpper(line);
    for (const Keyword& k : keywords) {
        if (k.kind != ActionKind::Settings && text.find(kq::toUpper(k.name)) != std::string::npos) {
            return true;
        }
    }
    return false;
}

bool allDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
}

bool isPortName(const std::string& field)
{
    return !field.empty() && field.find_first_of(" :") == std::string::npos &&
           field.rfind("Length", 0) != 0;
}

long leadingNumber(const std::string& text, std::size_t& at)
{
    long value = -1;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        value = (value < 0 ? 0 : value) * 10 + (text[at] - '0');
        if (value > 0x7FFFFFFF) {
            value = 0x7FFFFFFF;
        }
        ++at;
    }
    return value;
}

// Strict: the count right after "Length ", the payload after the field's first ':'.
void readStrictLength(const std::string& field, PortMonLine& result)
{
    std::size_t at = field.find("Length ") + 7;
    result.declared = leadingNumber(field, at);
    const std::size_t colon = field.find(':');
    if (colon == std::string::npos) {
        return;
    }
    result.hasPayload = true;
    result.payload = field.substr(colon + 1);
}

// Lenient, from just after "Length": "Length 3: ..." and "Length: 3: ..." alike;
// a count with no ':' after it (a request logged before it completed) has no payload.
void readLenientLength(const std::string& field, PortMonLine& result)
{
    std::size_t at = field.find_first_not_of(": ");
    if (at == std::string::npos) {
        return;
    }
    result.declared = leadingNumber(field, at);
    at = field.find_first_not_of(' ', at);
    if (at == std::string::npos || field[at] != ':') {
        return;
    }
    result.hasPayload = true;
    result.payload = field.substr(at + 1);
}

// The number after a name such as "Rate:" or "WordLength:", or the word after it.
std::string valueAfter(const std::string& line, const std::string& name)
{
    std::size_t at = line.find(name);
    if (at == std::string::npos) {
        return {};
    }
    at = line.find_first_not_of(' ', at + name.size());
    if (at == std::string::npos) {
        return {};
    }
    return line.substr(at, line.find_first_of(" \t", at) - at);
}

LineChange lineChange(const std::string& line)
{
    LineChange change;
    std::size_t at = 0;
    const long rate = leadingNumber(valueAfter(line, "Rate:"), at);
    change.baudRate = rate > 0 ? static_cast<unsigned int>(rate) : 0;
    const std::string bits = valueAfter(line, "WordLength:");
    if (bits.size() == 1 && bits[0] >= '5' && bits[0] <= '8') {
        change.dataSize = static_cast<kq::io::DataSize>(bits[0] - '5' + kq::io::DataBits5);
    }
    const std::string parity = valueAfter(line, "Parity:");
    if (kq::icompare(parity, "NONE")) {
        change.parity = kq::io::ParityNone;
    } else if (kq::icompare(parity, "EVEN")) {
        change.parity = kq::io::ParityEven;
    } else if (kq::icompare(parity, "ODD")) {
        change.parity = kq::io::ParityOdd;
    }
    const std::string stop = valueAfter(line, "StopBits:");
    if (stop == "1") {
        change.stopBits = kq::io::StopBitsOne;
    } else if (stop == "1.5") {
        change.stopBits = kq::io::StopBitsOneAndHalf;
    } else if (stop == "2") {
        change.stopBits = kq::io::StopBitsTwo;
    }
    return change;
}

std::vector<std::string> words(const std::string& line)
{
    std::vector<std::string> result;
    std::size_t at = 0;
    while ((at = line.find_first_not_of(" \t", at)) != std::string::npos) {
        const std::size_t end = line.find_first_of(" \t", at);
        result.push_back(line.substr(at, end - at));
        at = end;
    }
    return result;
}

// Lenient: the last "Length" followed by a space or ':', to the end of its tab field.
bool lenientLengthField(const std::string& line, std::string& field)
{
    for (std::size_t at = line.rfind("Length"); at != std::string::npos;
         at = at == 0 ? std::string::npos : line.rfind("Length", at - 1)) {
        const std::size_t after = at + 6;
        if (after < line.size() && (line[after] == ' ' || line[after] == ':')) {
            field = line.substr(after, line.find('\t', after) - after);
            return true;
        }
    }
    return false;
}

}  // namespace

PortMonLine parsePortMonLine(const std::string& text, bool lenient, bool settings)
{
    PortMonLine result;
    result.namesRequest = namesRequest(text);
    std::string line = text;
    if (lenient) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start != std::string::npos && line[start] == '#') {
            line.erase(0, start + 1);
        }
    }
    const auto fields = lenient ? words(line) : kq::SplitString(line, "\t", true);
    const std::string* lengthField = nullptr;
    std::size_t timeFields = std::min<std::size_t>(fields.size(), 3);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (const Keyword* k = keywordOf(fields[i], lenient, settings)) {
            timeFields = std::min(timeFields, i);
            result.kind = k->kind;
            result.port = i + 1 < fields.size() && isPortName(fields[i + 1]) ? fields[i + 1] : "";
        } else if (!lenient && fields[i].find("Length ") != std::string::npos) {
            lengthField = &fields[i];
        }
    }
    result.time = lineTimeOf({fields.begin(), fields.begin() + static_cast<long>(timeFields)});
    if (lenient && !fields.empty() && allDigits(fields.front())) {
        result.sequence = fields.front();
    }
    if (result.kind == ActionKind::Settings) {
        result.change = lineChange(line);
    } else if (lenient) {
        std::string field;
        if (lenientLengthField(line, field)) {
            readLenientLength(field, result);
        }
    } else if (lengthField) {
        readStrictLength(*lengthField, result);
    }
    return result;
}

}  // namespace quorvex
