#include "Replay.h"
#include "common/Interrupt.h"
#include "common/ProgramMain.h"
#include "common/Terminal.h"
#include "portmon/DumpSurvey.h"
#include "portmon/TextPayload.h"

#include <kq/NumberParser.h>
#include <kq/ProgramOptions.h>
#include <kq/StringUtils.h>

#include <stdexcept>

namespace {

using kq::ProgramOptions::StringOptionValue;

// Distinct types for the two options; they add nothing to the string value.
class SerialNameOption : public StringOptionValue {};
class InputOption : public StringOptionValue {};

const char* const usage =
    "usage: QuorvexLoader -s=<device> -i=<dump> [options]\n"
    "       QuorvexLoader --check -i=<dump> [--lenient] [--port=NAME] [--log-settings]\n"
    "  -s, --serial=NAME    serial device to replay on: 'COM1', 'ttyUSB0'\n"
    "  -i, --input=FILE     PortMon dump (log saved with hex display)\n"
    "  --check              read the whole dump, print each action and a summary;\n"
    "                       open no port; exit 1 when a problem was found\n"
    "  --lenient            also read space-separated columns, a leading '#', requests\n"
    "                       completed on a later line, Windows 9x VCOMM names\n"
    "  --port=NAME          replay only the lines of this port, e.g. Serial3\n"
    "  --compare            after each read window print match or MISMATCH; exit 2\n"
    "                       when anything differed\n"
    "  --fast               end a read window once the expected bytes are in, no\n"
    "                       window for empty reads, no pause after an action\n"
    "  --window=MS          read window, default 2000\n"
    "  --pause=MS           pause after each action, default 100 (0 with --fast)\n"
    "  --config=TEXT        port settings as 'baud=9600;data=8;parity=none;stop=1;flow=off'\n"
    "                       instead of 115200 8N1\n"
    "  --log-settings       apply the log's own baud rate and line control requests\n"
    "                       where they occur\n"
    "  --dot=HH             the log was saved without hex display: payloads are text,\n"
    "                       a '.' stands for byte HH in a send and any byte in a read\n"
    "Each of these implies --compare:\n"
    "  --json=FILE          verdict per expected block and a summary as JSON\n"
    "  --junit=FILE         JUnit XML: a test case per expected block\n"
    "  --html=FILE          a page with the blocks' bytes side by side and a latency chart\n"
    "  --max-latency=MS     a block whose first byte comes later is late, a failure\n"
    "  --fail-fast          stop at the first mismatch or late answer (exit 2)\n"
    "  --mask=FILE          bytes that may differ: lines 'L: 90 ?? 00 *', L the log line\n"
    "                       of a block's first read\n"
    "  --learn-masks=FILE --repeat=N\n"
    "                       replay N times (N >= 2) and write the masks that the bytes\n"
    "                       which differed call for\n"
    "  --repeat=N           replay N times\n"
    "  --help               this text\n";

struct Options {
    SerialNameOption serial;
    InputOption input;
    StringOptionValue check, lenient, port, compare, fast, window, pause, config, logSettings, help;
    StringOptionValue dot, json, junit, html, maxLatency, failFast, mask, learnMasks, repeat;
};

std::chrono::milliseconds duration(const StringOptionValue& option, const char* name,
                                   std::chrono::milliseconds otherwise)
{
    if (!option.isSet) {
        return otherwise;
    }
    int ms = 0;
    if (!kq::NumberParser::tryParseInt32(option.value, ms) || ms < 0) {
        throw std::runtime_error(
            kq::format("invalid --%s '%s': give a whole number of ms", name, option.value.c_str()));
    }
    return std::chrono::milliseconds(ms);
}

std::string fileName(const StringOptionValue& option, const char* name)
{
    if (option.isSet && option.value.empty()) {
        throw std::runtime_error(kq::format("--%s needs a file name: --%s=FILE", name, name));
    }
    return option.value;
}

// The reports, masks and limits of a compared replay, checked before the port opens.
void verdictOptions(const Options& o, quorvex::ReplayOptions& result)
{
    result.reports = {fileName(o.json, "json"), fileName(o.junit, "junit"),
                      fileName(o.html, "html")};
    result.judging.maxLatency =
        static_cast<long>(duration(o.maxLatency, "max-latency", {}).count());
    if (o.maxLatency.isSet && result.judging.maxLatency == 0) {
        throw std::runtime_error("invalid --max-latency '0': give a limit of 1 ms or more");
    }
    result.failFast = o.failFast.isSet;
    if (o.mask.isSet) {
        result.judging.masks = quorvex::readMaskFile(fileName(o.mask, "mask"));
    }
    result.learnMasks = fileName(o.learnMasks, "learn-masks");
    int repeat = 1;
    if (o.repeat.isSet &&
        (!kq::NumberParser::tryParseInt32(o.repeat.value, repeat) || repeat < 1)) {
        throw std::runtime_error(kq::format("invalid --repeat '%s': give how many times, 1 or more",
                                            o.repeat.value.c_str()));
    }
    result.repeat = repeat;
    if (o.learnMasks.isSet && repeat < 2) {
        throw std::runtime_error("--learn-masks needs --repeat=N with N of 2 or more");
    }
    if (o.learnMasks.isSet && o.failFast.isSet) {
        throw std::runtime_error("--learn-masks replays to the end: leave out --fail-fast");
    }
    result.compare = result.compare || o.json.isSet || o.junit.isSet || o.html.isSet ||
                     o.maxLatency.isSet || o.failFast.isSet || o.mask.isSet || o.learnMasks.isSet;
    result.progress = quorvex::isTerminal(stderr);
}

quorvex::ReplayOptions replayOptions(const Options& o)
{
    quorvex::ReplayOptions result;
    result.reader.lenient = o.lenient.isSet;
    result.reader.port = o.port.value;
    result.reader.settings = o.logSettings.isSet;
    result.compare = o.compare.isSet;
    result.fast = o.fast.isSet;
    result.window = duration(o.window, "window", result.window);
    result.pause =
        duration(o.pause, "pause", o.fast.isSet ? std::chrono::milliseconds(0) : result.pause);
    result.config = o.config.value;
    if (o.config.isSet && o.config.value.empty()) {
        throw std::runtime_error("invalid --config '': give the settings, e.g. 'baud=9600'");
    }
    result.reader.dot = o.dot.isSet ? quorvex::dotByte(o.dot.value) : -1;
    verdictOptions(o, result);
    return result;
}

// The options in the order the error's usage text lists them.
void listOptions(Options& o, quorvex::OptionList& options)
{
    options.add("s", "serial", "serial device name: 'COM1', 'ttyUSB0'", o.serial);
    options.add("i", "input", "input file ( PortMon dump)", o.input);
    // Long names only; the usage text describes them.
    options.addLongOnly({{"check", &o.check},
                         {"lenient", &o.lenient},
                         {"port", &o.port},
                         {"compare", &o.compare},
                         {"fast", &o.fast},
                         {"window", &o.window},
                         {"pause", &o.pause},
                         {"config", &o.config},
                         {"log-settings", &o.logSettings},
                         {"help", &o.help},
                         {"dot", &o.dot},
                         {"json", &o.json},
                         {"junit", &o.junit},
                         {"html", &o.html},
                         {"max-latency", &o.maxLatency},
                         {"fail-fast", &o.failFast},
                         {"mask", &o.mask},
                         {"learn-masks", &o.learnMasks},
                         {"repeat", &o.repeat}});
}

}  // namespace

int main(int argc, char* argv[])
{
    Options o;
    quorvex::OptionList options;
    listOptions(o, options);
    options.read(argc, argv);
    options.warnAboutUnknown("QuorvexLoader", argc, argv);
    const std::string usageText = "usage:\n" + options.toString();
    return quorvex::runMain(o.help.isSet, usage, usageText, [&](bool& showUsage) {
        if (!o.serial.isSet && !o.check.isSet) {
            throw std::runtime_error("serial name not set");
        }
        if (!o.input.isSet) {
            throw std::runtime_error("input not set");
        }
        showUsage = false;
        const quorvex::ReplayOptions replay = replayOptions(o);
        if (o.check.isSet) {
            return quorvex::checkDump(o.input.value, replay.reader);
        }
        quorvex::catchInterrupts();
        return quorvex::runReplay(o.serial.value, o.input.value, replay);
    });
}
