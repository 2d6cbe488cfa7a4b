// list, status, send, run and atr: the commands that read readers and talk to cards.
#include "Atr.h"
#include "Commands.h"
#include "Hex.h"
#include "Report.h"
#include "Script.h"
#include "T0Exchange.h"
#include "common/Console.h"

#include <kq/StringUtils.h>
#include <kq/io/apdu.h>

#include <algorithm>
#include <fstream>
#include <functional>

namespace quorvex {

namespace {

using kq::io::apdu;
using kq::io::pcsc;

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

// The reader with the card in it connected.
std::unique_ptr<pcsc> connectCard(const std::string& name)
{
    auto reader = openReader(name);
    if (!reader->isCardPresented())
        throw std::runtime_error(kq::format("no card in '%s'", name.c_str()));
    reader->connect();
    return reader;
}

// The verdict on a response, empty for none.
using Judge = std::function<std::string(const Bytes& response)>;

// Sends one command, with T=0 rounds when asked; prints every APDU exchanged and,
// with T=0, the joined response, which carries the verdict. Returns that response.
Bytes exchange(pcsc& reader, const Bytes& command, const Options& options, const Report& report,
               int line, const Judge& judge)
{
    const Transmit transmit = [&reader](const Bytes& bytes) {
        const apdu response =
            reader.exchange(apdu::fromBuffer(bytes.data(), static_cast<unsigned int>(bytes.size())),
                            pcsc::ExtendedResponseCapacity);
        return response.size() ? Bytes(response.raw(), response.raw() + response.size()) : Bytes();
    };
    ExchangeNote note;
    note.line = line;
    if (!options.t0) {
        const Exchange single{command, transmit(command)};
        note.verdict = judge ? judge(single.response) : "";
        report.exchange(single, note);
        return single.response;
    }
    const T0Result result = exchangeT0(transmit, command);
    for (const auto& step : result.steps)
        report.exchange(step, note);
    note.joined = true;
    note.verdict = judge ? judge(result.response) : "";
    report.exchange({command, result.response}, note);
    return result.response;
}

std::unique_ptr<pcsc> openReaderContext(const std::string& name)
{
    try {
        return std::make_unique<pcsc>(name);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(
            kq::format("the smart-card service is not available: %s", e.what()));
    }
}

bool isSuccess(const Bytes& response)
{
    return response.size() >= 2 && response[response.size() - 2] == 0x90;
}

std::vector<ScriptStep> readScriptFile(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error(kq::format("can't open the script '%s'", file.c_str()));
    try {
        return readScript(in);
    } catch (const ScriptError& e) {
        throw ScriptError(e.line, kq::format("%s:%d: %s", file.c_str(), e.line, e.what()));
    }
}

// Runs one line of a script; returns whether its expectation held.
bool runStep(pcsc& reader, const ScriptStep& step, const Options& options, const Report& report)
{
    if (step.reset) {
        reader.reset();
        report.reset(step.line);
        return true;
    }
    bool held = true;
    const Judge judge = [&step, &held](const Bytes& response) {
        if (!step.expects)
            return std::string();
        held = matches(step.expectation, response);
        return std::string(held ? "pass" : "fail");
    };
    exchange(reader, step.command, options, report, step.line, judge);
    report.verdict(step.line, !step.expects ? "ok (nothing expected)"
                              : held        ? "pass"
                                     : "fail, expected " + expectationText(step.expectation));
    return held;
}

std::string lineList(const std::vector<int>& lines)
{
    std::string text;
    for (const int line : lines)
        text += (text.empty() ? "" : ", ") + std::to_string(line);
    return text;
}

}  // namespace

void checkService()
{
    openReaderContext(kq::io::ReaderListName);
}

std::unique_ptr<pcsc> openReader(const std::string& name)
{
    auto reader = openReaderContext(name);
    const auto names = kq::io::enumeratePCSCDevices();
    if (std::find(names.begin(), names.end(), name) == names.end())
        throw std::runtime_error(
            kq::format("no reader named '%s' ('kqpcsc list' shows the readers)", name.c_str()));
    return reader;
}

int listReaders(const Options& options)
{
    const auto names = kq::io::enumeratePCSCDevices();
    if (names.empty())
        throw std::runtime_error("no readers found");
    const Report report(options.json);
    for (const auto& name : names)
        report.reader(name);
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
    for (const auto& text : texts)
        commands.push_back(parseCommand(text));
    const auto reader = connectCard(name);
    const Report report(options.json);
    bool allSucceeded = true;
    for (const auto& command : commands)
        allSucceeded =
            isSuccess(exchange(*reader, command, options, report, 0, {})) && allSucceeded;
    reader->disconnect();
    return allSucceeded ? 0 : 1;
}

int runScript(const std::string& name, const std::string& file, const Options& options)
{
    const std::vector<ScriptStep> steps = readScriptFile(file);
    const auto reader = connectCard(name);
    const Report report(options.json);
    std::vector<int> failed;
    for (const auto& step : steps) {
        if (!runStep(*reader, step, options, report)) {
            failed.push_back(step.line);
            if (!options.keepGoing)
                break;
        }
    }
    reader->disconnect();
    if (failed.empty())
        return 0;
    printError(kq::format("kqpcsc: %s: expectation not met on line%s %s\n", file.c_str(),
                          failed.size() > 1 ? "s" : "", lineList(failed).c_str()));
    return 1;
}

int showAtr(const std::string& hexText, const Options& options)
{
    Bytes bytes;
    if (!parseHexBytes(hexText, bytes))
        throw UsageError(kq::format("'%s' is not hex: two hex digits a byte", hexText.c_str()));
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
