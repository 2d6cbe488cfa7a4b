// list, status, send and atr: the commands that read readers, talk to cards, read ATRs.
#include "Atr.h"
#include "CardSession.h"
#include "Commands.h"
#include "Report.h"
#include "T0Exchange.h"
#include "common/Hex.h"

#include <kq/StringUtils.h>

namespace quorvex {

namespace {

const char* stateName(kq::io::CardStatus status)
{
    static const char* const names[] = {"unknown", "absent",     "present", "swallowed",
                                        "powered", "negotiable", "specific"};
    return names[status];
}

Bytes parseCommand(const std::string& text)
{
    Bytes bytes;
    if (!parseHexBytes(text, bytes) || bytes.size() < 4) {
        throw UsageError(kq::format(
            "'%s' is not a command APDU: two hex digits a byte, at least 4 bytes", text.c_str()));
    }
    return bytes;
}

bool isSuccess(const Bytes& response)
{
    return response.size() >= 2 && response[response.size() - 2] == 0x90;
}

}  // namespace

int listReaders(const Options& options)
{
    const auto names = kq::io::enumeratePCSCDevices();
    if (names.empty()) {
        throw std::runtime_error("no readers found");
    }
    const Report report(options.json);
    for (const auto& name : names) {
        report.reader(name);
    }
    return 0;
}

int showStatus(const std::string& name, const Options& options)
{
    const auto reader = openReader(name);
    const bool present = reader->isCardPresented();
    Bytes atr;
    std::string state;
    if (present) {
        reader->connect();
        state = stateName(reader->cardStatus(atr));
        reader->disconnect();
    }
    Report(options.json).status(name, present, state, atr);
    return 0;
}

int sendApdus(const std::string& name, const std::vector<std::string>& texts,
              const Options& options)
{
    std::vector<Bytes> commands;
    for (const auto& text : texts) {
        commands.push_back(parseCommand(text));
    }
    const auto reader = connectCard(name);
    const Report report(options.json);
    bool allSucceeded = true;
    for (const auto& command : commands) {
        allSucceeded =
            isSuccess(exchange(*reader, command, options, report, 0, {})) && allSucceeded;
    }
    reader->disconnect();
    return allSucceeded ? 0 : 1;
}

int showAtr(const std::string& hexText, const Options& options)
{
    Bytes bytes;
    if (!parseHexBytes(hexText, bytes)) {
        throw UsageError(kq::format("'%s' is not hex: two hex digits a byte", hexText.c_str()));
    }
    Atr atr;
    try {
        atr = decodeAtr(bytes);
    } catch (const AtrError& e) {
        throw std::runtime_error(kq::format("not a valid ATR: %s", e.what()));
    }
    Report(options.json).atr(bytes, atr);
    return atr.tckValid() ? 0 : 1;
}

}  // namespace quorvex
