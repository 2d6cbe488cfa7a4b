#include "Report.h"

#include "JsonLine.h"
#include "common/Console.h"
#include "common/Hex.h"

#include <kq/StringUtils.h>

#include <chrono>
#include <ctime>

namespace quorvex {

namespace {

std::string spaced(const Bytes& bytes)
{
    return separatedHex(bytes.data(), static_cast<unsigned int>(bytes.size()));
}

std::size_t dataSize(const Bytes& response)
{
    return response.size() < 2 ? 0 : response.size() - 2;
}

// Local time with milliseconds: "2026-12-07T23:50:01.123".
std::string timeStamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", std::localtime(&seconds));
    return kq::format("%s.%03d", text, static_cast<int>(ms));
}

std::string atrJson(const Atr& atr)
{
    std::string array;
    for (const auto& b : atr.structure) {
        array += (array.empty() ? "" : ", ") + JsonLine()
                                                   .add("byte", b.name)
                                                   .add("value", kq::format("%02X", b.value))
                                                   .add("meaning", b.meaning)
                                                   .object();
    }
    return "[" + array + "]";
}

}  // namespace

void Report::reader(const std::string& name) const
{
    print(json_ ? JsonLine().add("reader", name).text() : name + "\n");
}

void Report::status(const std::string& reader, bool present, const std::string& state,
                    const Bytes& atr) const
{
    if (json_) {
        JsonLine line;
        line.add("reader", reader).add("present", present);
        if (present) {
            line.add("state", state).add("atr", hex(atr));
        }
        print(line.text());
        return;
    }
    print(kq::format("reader: %s\ncard: %s\n", reader.c_str(), present ? "present" : "absent"));
    if (!present) {
        return;
    }
    print(kq::format("state: %s\nATR: %s\n", state.c_str(), spaced(atr).c_str()));
    try {
        for (const auto& line : describeAtr(decodeAtr(atr))) {
            print("  " + line + "\n");
        }
    } catch (const AtrError& e) {
        print(kq::format("  not a valid ATR: %s\n", e.what()));
    }
}

void Report::atr(const Bytes& bytes, const Atr& atr) const
{
    if (!json_) {
        for (const auto& line : describeAtr(atr)) {
            print(line + "\n");
        }
        return;
    }
    JsonLine line;
    line.add("atr", hex(bytes))
        .add("convention", atr.inverseConvention() ? "inverse" : "direct")
        .add("protocols", protocolList(atr))
        .addJson("bytes", atrJson(atr))
        .add("historical", hex(atr.historical))
        .add("historicalText", printable(atr.historical));
    if (atr.hasTck) {
        line.add("tck", kq::format("%02X", atr.tck)).add("tckValid", atr.tckValid());
    }
    print(line.text());
}

void Report::exchange(const Exchange& exchange, const ExchangeNote& note) const
{
    const Bytes& response = exchange.response;
    const Bytes data(response.begin(), response.begin() + dataSize(response));
    const Bytes sw(response.begin() + dataSize(response), response.end());
    if (json_) {
        JsonLine line;
        line.add("command", hex(exchange.command)).add("response", hex(data)).add("sw", hex(sw));
        if (note.line > 0) {
            line.add("line", note.line);
        }
        if (note.joined) {
            line.add("joined", true);
        }
        if (!note.verdict.empty()) {
            line.add("verdict", note.verdict);
        }
        print(line.text());
        return;
    }
    if (!note.joined) {
        print("-> " + spaced(exchange.command) + "\n");
    }
    print(kq::format("%s %s%sSW %s\n", note.joined ? "<=" : "<-", spaced(data).c_str(),
                     data.empty() ? "" : "  ", spaced(sw).c_str()));
}

void Report::verdict(int line, const std::string& verdict) const
{
    if (!json_) {
        print(kq::format("line %d: %s\n", line, verdict.c_str()));
    }
}

void Report::reset(int line) const
{
    print(json_ ? JsonLine().add("line", line).add("reset", true).text()
                : kq::format("line %d: reset\n", line));
}

void Report::event(const std::string& event, const std::string& reader, const Bytes& atr) const
{
    const std::string time = timeStamp();
    if (json_) {
        JsonLine line;
        line.add("event", event).add("reader", reader);
        if (!atr.empty()) {
            line.add("atr", hex(atr));
        }
        print(line.add("time", time).text());
        return;
    }
    print(kq::format("%s %s: %s%s%s\n", time.c_str(), event.c_str(), reader.c_str(),
                     atr.empty() ? "" : "  ATR ", spaced(atr).c_str()));
}

void Report::waiting(const std::string& reader) const
{
    print(json_ ? JsonLine().add("reader", reader).add("waiting", true).text()
                : kq::format("waiting for a card in '%s'\n", reader.c_str()));
}

}  // namespace quorvex
