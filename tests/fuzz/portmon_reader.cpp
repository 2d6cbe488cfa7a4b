#include "PortMonLine.h"
#include "PortMonReader.h"

#include <kq/NumberFormatter.h>
#include <kq/StringUtils.h>

#include "FuzzCheck.h"
#include "support/Thrown.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace quorvex;
using kqtest::fuzzCheck;

namespace {

// The reader opens a file by name: each input is written to this process's own file.
struct DumpFile {
    const std::string name = (std::filesystem::temp_directory_path() /
                              ("portmon_reader-" + std::to_string(::getpid()) + ".log"))
                                 .string();
    ~DumpFile() { std::remove(name.c_str()); }
    void write(const std::string& text) const
    {
        std::FILE* file = std::fopen(name.c_str(), "wb");
        fuzzCheck(file && std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
                      std::fclose(file) == 0,
                  "the dump file is written", name);
    }
};
const DumpFile dump;

const std::string hexError = "runtime_error: invalid hex char '";

// Each next() call up to the end: an action, or what it threw.
struct Step {
    std::string thrown;
    PortMonAction action;
};

bool same(const Step& a, const Step& b)
{
    const PortMonAction &x = a.action, &y = b.action;
    return a.thrown == b.thrown && x.kind == y.kind && x.data == y.data && x.line == y.line &&
           x.port == y.port && x.declared == y.declared && x.change.baudRate == y.change.baudRate &&
           x.change.dataSize == y.change.dataSize && x.change.parity == y.change.parity &&
           x.change.stopBits == y.change.stopBits;
}

struct Reading {
    std::vector<Step> steps;
    std::set<std::string> ports;
    long notUnderstood = 0;
    long firstNotUnderstood = 0;
};

// The lines not understood so far: counted from the first, which stays.
void keepCounts(const PortMonReader& reader, Reading& result)
{
    const long first = reader.firstNotUnderstood(), count = reader.notUnderstood();
    fuzzCheck((count == 0) == (first == 0) && count <= reader.lineNumber() &&
                  first <= reader.lineNumber() &&
                  (result.firstNotUnderstood == 0 || first == result.firstNotUnderstood),
              "not understood lines agree with the lines read");
    result.notUnderstood = count;
    result.firstNotUnderstood = first;
}

// Reads the dump to its end, holding the reader to what it promises on every call.
Reading readAll(const ReaderOptions& options, long lineCount)
{
    PortMonReader reader(dump.name, options);
    Reading result;
    for (long lastLine = 0;; lastLine = reader.lineNumber()) {
        Step step;
        const PortMonAction* action = nullptr;
        step.thrown = kqtest::thrownBy([&] { action = reader.next(); });
        if (step.thrown.empty() && !action) {
            break;
        }
        fuzzCheck(step.thrown.empty() || step.thrown.rfind(hexError, 0) == 0,
                  "only a bad hex payload throws for a short dump", step.thrown);
        fuzzCheck(reader.lineNumber() >= lastLine, "line numbers only grow");
        keepCounts(reader, result);
        if (action) {
            step.action = *action;
            fuzzCheck(action->line >= 1 && action->line <= reader.lineNumber(),
                      "an action stands on a line read");
            fuzzCheck(options.port.empty() || action->port == options.port,
                      "the port filter returns only that port");
            fuzzCheck(options.settings || action->kind != ActionKind::Settings,
                      "settings only when asked for");
            fuzzCheck(action->time.micros >= 0 && action->elapsedSum >= 0 &&
                          (action->time.form != TimeForm::Clock ||
                           action->time.micros < 24LL * 3600 * 1000000),
                      "a time column reads as a time of day or a count of seconds");
            fuzzCheck((action->kind == ActionKind::Send || action->kind == ActionKind::Recv) ||
                          (action->data.empty() && action->declared == -1),
                      "only Send and Recv carry data");
        }
        result.steps.push_back(step);
        fuzzCheck(static_cast<long>(result.steps.size()) <= lineCount,
                  "at most one result per line");
    }
    fuzzCheck(!reader.next() && !reader.next(), "null at the end and after it");
    fuzzCheck(reader.lineNumber() == lineCount, "every line is read", std::to_string(lineCount));
    keepCounts(reader, result);
    result.ports = reader.ports();
    return result;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        lines.push_back(text.substr(at, end - at));
        if (!lines.back().empty() && lines.back().back() == '\r') {
            lines.back().pop_back();
        }
        at = end + 1;
    }
    return lines;
}

// The bytes of hex text without its spaces (an odd first digit stands alone), or the error
// naming its first other character.
Step decoded(std::string hex)
{
    hex.erase(std::remove(hex.begin(), hex.end(), ' '), hex.end());
    Step step;
    const auto bad = std::find_if_not(hex.begin(), hex.end(),
                                      [](unsigned char c) { return std::isxdigit(c) != 0; });
    if (bad != hex.end()) {
        step.thrown = (hexError + *bad + "'").c_str();  // what() stops at a NUL
        return step;
    }
    auto digit = [](unsigned char c) {
        return std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
    };
    std::size_t at = hex.size() % 2;
    if (at) {
        step.action.data.push_back(static_cast<unsigned char>(digit(hex[0])));
    }
    for (; at < hex.size(); at += 2) {
        step.action.data.push_back(
            static_cast<unsigned char>(digit(hex[at]) * 16 + digit(hex[at + 1])));
    }
    return step;
}

// The strict reading as the reader describes it: the last request field names the action,
// the last field containing "Length " has the payload after its first ':'. The port and
// count are the line parser's.
void checkStrict(const std::vector<std::string>& lines, const Reading& reading)
{
    static const std::pair<const char*, ActionKind> requests[] = {
        {"IRP_MJ_WRITE", ActionKind::Send},
        {"IRP_MJ_READ", ActionKind::Recv},
        {"IOCTL_SERIAL_PURGE", ActionKind::Purge}};
    std::vector<Step> expected;
    long notUnderstood = 0, first = 0;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        ActionKind kind = ActionKind::None;
        const std::string* length = nullptr;
        const auto fields = kq::SplitString(lines[n], "\t", true);
        for (const std::string& field : fields) {
            for (const auto& request : requests) {
                kind = kq::icompare(field, request.first) ? request.second : kind;
            }
            length = field.find("Length ") != std::string::npos ? &field : length;
        }
        const PortMonLine parsed = parsePortMonLine(lines[n], false, false);
        if (kind == ActionKind::None) {
            if (parsed.namesRequest && notUnderstood++ == 0) {
                first = static_cast<long>(n) + 1;
            }
            continue;
        }
        const std::size_t colon = length ? length->find(':') : std::string::npos;
        const bool carries = kind != ActionKind::Purge && colon != std::string::npos;
        Step step = carries ? decoded(length->substr(colon + 1)) : Step();
        if (step.thrown.empty()) {
            step.action.kind = kind;
            step.action.line = static_cast<long>(n) + 1;
            step.action.port = parsed.port;
            step.action.declared = kind == ActionKind::Purge ? -1 : parsed.declared;
        }
        expected.push_back(step);
    }
    fuzzCheck(reading.notUnderstood == notUnderstood && reading.firstNotUnderstood == first,
              "strict: lines naming a request without an action are counted");
    fuzzCheck(expected.size() == reading.steps.size() &&
                  std::equal(expected.begin(), expected.end(), reading.steps.begin(), same),
              "strict: the actions the lines describe");
}

// Whether data are the bytes of the hex text after one of the line's ':', to the end of its field.
bool payloadOf(const std::string& line, const std::vector<unsigned char>& data)
{
    for (std::size_t at = line.find(':'); at != std::string::npos; at = line.find(':', at + 1)) {
        const Step step = decoded(line.substr(at + 1, line.find('\t', at) - at - 1));
        if (step.thrown.empty() && step.action.data == data) {
            return true;
        }
    }
    return false;
}

// A lenient Send or Recv carries the payload of its own line or of a later line with its number.
void checkLenientPayload(const std::vector<std::string>& lines, const PortMonAction& action)
{
    if (action.kind != ActionKind::Send && action.kind != ActionKind::Recv) {
        return;
    }
    const std::string& line = lines[action.line - 1];
    const PortMonLine request = parsePortMonLine(line, true, false);
    fuzzCheck(request.kind == action.kind && request.port == action.port,
              "lenient: the action is its line's request", line);
    bool found = action.data.empty() || payloadOf(line, action.data);
    for (std::size_t n = static_cast<std::size_t>(action.line); n < lines.size() && !found; ++n) {
        found = parsePortMonLine(lines[n], true, false).sequence == request.sequence &&
                payloadOf(lines[n], action.data);
    }
    fuzzCheck(found, "lenient: the payload is the hex text of its line or its completion", line);
}

// Filtered to one port, a lenient reading keeps the unfiltered actions of that port, where no
// payload failed (a line of another port is skipped undecoded), each request has its own
// number (else which request a completion line belongs to is a guess) and none waits for long.
void checkFiltered(const std::vector<std::string>& lines, const Reading& all,
                   const std::string& port)
{
    const Reading only = readAll({true, port, false}, static_cast<long>(lines.size()));
    fuzzCheck(only.ports == all.ports, "the ports of every line, whichever was asked for");
    std::set<std::string> numbers;
    for (const std::string& line : lines) {
        const PortMonLine parsed = parsePortMonLine(line, true, false);
        if (parsed.kind != ActionKind::None && !numbers.insert(parsed.sequence).second) {
            return;
        }
    }
    std::vector<Step> expected;
    for (const Step& step : all.steps) {
        if (!step.thrown.empty()) {
            return;
        }
        if (step.action.port == port) {
            expected.push_back(step);
        }
    }
    fuzzCheck(lines.size() < 1024 && expected.size() == only.steps.size() &&
                  std::equal(expected.begin(), expected.end(), only.steps.begin(), same),
              "the port filter keeps that port's actions", port);
}

// A log as PortMon writes it: tab-separated, each line numbered, every payload complete.
std::string portMonLog(FuzzedDataProvider& input)
{
    static const char* const requests[] = {"IRP_MJ_WRITE",
                                           "IRP_MJ_READ",
                                           "IOCTL_SERIAL_PURGE",
                                           "IRP_MJ_CREATE",
                                           "IOCTL_SERIAL_SET_BAUD_RATE",
                                           "IOCTL_SERIAL_SET_LINE_CONTROL"};
    static const char* const lineControls[] = {"StopBits: 1 Parity: NONE WordLength: 8",
                                               "StopBits: 2 Parity: even WordLength: 7",
                                               "StopBits: 1.5 Parity: ODD WordLength: 5"};
    std::string log;
    for (int n = 1; input.remaining_bytes() > 0 && n <= 32; ++n) {
        const std::string request = input.PickValueInArray(requests);
        log += std::to_string(n) + "\t0.00000431\tquorvex.exe\t" + request + "\tSerial" +
               std::to_string(input.ConsumeIntegralInRange(0, 1)) + "\tSUCCESS\t";
        if (request == "IOCTL_SERIAL_SET_BAUD_RATE") {
            log += "Rate: " + std::to_string(input.ConsumeIntegral<std::uint32_t>());
        } else if (request == "IOCTL_SERIAL_SET_LINE_CONTROL") {
            log += input.PickValueInArray(lineControls);
        } else {
            const auto bytes =
                input.ConsumeBytes<unsigned char>(input.ConsumeIntegralInRange(0, 8));
            log += "Length " + std::to_string(bytes.size()) + ": " +
                   kq::NumberFormatter::buffer2stringU2(bytes.data(),
                                                        static_cast<unsigned int>(bytes.size()));
        }
        log += input.ConsumeBool() ? "\r\n" : "\n";
    }
    return log;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    dump.write(text);
    const std::vector<std::string> lines = linesOf(text);
    const long count = static_cast<long>(lines.size());
    checkStrict(lines, readAll({}, count));
    const Reading lenient = readAll({true, "", false}, count);
    for (const Step& step : lenient.steps) {
        checkLenientPayload(lines, step.action);
    }
    if (!lenient.ports.empty()) {
        checkFiltered(lines, lenient,
                      *std::next(lenient.ports.begin(), size % lenient.ports.size()));
    }

    FuzzedDataProvider input(data, size);
    const std::string log = portMonLog(input);
    dump.write(log);
    const long logLines = static_cast<long>(linesOf(log).size());
    const Reading strict = readAll({false, "", true}, logLines),
                  leniently = readAll({true, "", true}, logLines);
    fuzzCheck(
        strict.steps.size() == leniently.steps.size() &&
            std::equal(strict.steps.begin(), strict.steps.end(), leniently.steps.begin(), same),
        "a PortMon log reads the same leniently as strictly", log);
    return 0;
}
