// The device side of a PortMon dump: serves QuorvexLoader (or the real host
// program) on a serial port or a pseudo-terminal and checks what it sends.
#include "DevicePort.h"
#include "DeviceSession.h"
#include "common/Console.h"
#include "common/ProgramMain.h"
#include "portmon/TextPayload.h"

#include <kq/NumberFormatter.h>
#include <kq/NumberParser.h>
#include <kq/ProgramOptions.h>
#include <kq/StringUtils.h>

#include <algorithm>
#include <exception>
#include <stdexcept>

namespace {

using kq::ProgramOptions::StringOptionValue;

const char* const usage =
    "usage: QuorvexDevice -i=<dump> (-s=<device> | --pty) [-t=<ms>] [--lenient] [--port=NAME]\n"
    "                     [--latency=recorded|MS] [--match [--default=HEX]]\n"
    "  -i, --input=FILE    PortMon dump whose device side to play\n"
    "  -s, --serial=NAME   serial device to serve: 'COM2', 'ttyUSB1'\n"
    "  -p, --pty           create a pseudo-terminal and serve it (not on Windows);\n"
    "                      its name for the loader's -s= option is printed as 'port: NAME'\n"
    "  -t, --timeout=MS    how long the host may do nothing, default 10000\n"
    "  --lenient           read the log variants QuorvexLoader --lenient reads\n"
    "  --port=NAME         serve only the lines of this port, e.g. Serial3\n"
    "  --dot=HH            the log was saved without hex display: a '.' stands for\n"
    "                      byte HH (in an answer too)\n"
    "  --mask=FILE         bytes of the host's requests that may differ, as for\n"
    "                      QuorvexLoader: lines 'L: 02 ?? 10 *'\n"
    "  --json=FILE         each expected request and its verdict as JSON\n"
    "  --latency=recorded  answer after the time the log records between the request\n"
    "                      and the answer (its time column)\n"
    "  --latency=MS        answer MS milliseconds after the request\n"
    "                      default: at once, or once the host has made the purges the\n"
    "                      log records before it read the answer (at most 2 s)\n"
    "  --match             answer each request by what the log answered to the same\n"
    "                      bytes, in any order and as often as it comes\n"
    "  --default=HEX       with --match, the answer to a request the log does not know\n";

const std::chrono::milliseconds defaultTimeout(10000);

// A rejected option value would look like a missing one, so the text is checked
// here, where a bad value can be named.
std::chrono::milliseconds hostTimeout(const StringOptionValue& option)
{
    if (!option.isSet) {
        return defaultTimeout;
    }
    int ms = 0;
    if (!kq::NumberParser::tryParseInt32(option.value, ms) || ms <= 0) {
        throw std::runtime_error(
            kq::format("invalid timeout '%s': give a whole number of milliseconds above 0",
                       option.value.c_str()));
    }
    return std::chrono::milliseconds(ms);
}

void setLatency(const StringOptionValue& option, quorvex::DeviceOptions& options)
{
    using Latency = quorvex::DeviceOptions::Latency;
    if (!option.isSet) {
        return;
    }
    if (option.value == "recorded") {
        options.latency = Latency::Recorded;
        return;
    }
    int ms = 0;
    if (!kq::NumberParser::tryParseInt32(option.value, ms) || ms < 0) {
        throw std::runtime_error(
            kq::format("invalid --latency '%s': give 'recorded' or a whole number of milliseconds",
                       option.value.c_str()));
    }
    options.latency = Latency::Fixed;
    options.fixedLatency = std::chrono::milliseconds(ms);
}

// Spaces between the bytes are allowed, as the log writes them.
std::vector<unsigned char> defaultAnswer(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    if (text.empty() || text.size() % 2 != 0) {
        throw std::runtime_error("invalid --default: give the answer as hex bytes, e.g. 6F00");
    }
    return kq::NumberFormatter::string2buffer(text);
}

std::unique_ptr<quorvex::DevicePort> openPort(bool pty, const std::string& serialName,
                                              std::chrono::milliseconds timeout)
{
    if (pty) {
        return quorvex::openPseudoTerminal();
    }
    return quorvex::openSerialPort(serialName, timeout);
}

}  // namespace

int main(int argc, char* argv[])
{
    using quorvex::print;
    StringOptionValue serial, input, pty, timeout, lenient, port, dot, mask, json, latency, match,
        answer, help;
    quorvex::OptionList options;
    options.add("s", "serial", "serial device to serve", serial);
    options.add("i", "input", "PortMon dump", input);
    options.add("p", "pty", "serve a new pseudo-terminal", pty);
    options.add("t", "timeout", "ms the host may do nothing", timeout);
    options.addLongOnly({{"lenient", &lenient},
                         {"port", &port},
                         {"dot", &dot},
                         {"mask", &mask},
                         {"json", &json},
                         {"latency", &latency},
                         {"match", &match},
                         {"default", &answer},
                         {"help", &help}});
    options.read(argc, argv);
    options.warnAboutUnknown("QuorvexDevice", argc, argv);

    if (help.isSet) {
        print(usage);
        return 0;
    }
    try {
        if (!input.isSet || serial.isSet == pty.isSet) {
            print(usage);
            return 1;
        }
        quorvex::DeviceOptions serving;
        serving.timeout = hostTimeout(timeout);
        setLatency(latency, serving);
        serving.match = match.isSet;
        if (answer.isSet && !match.isSet) {
            throw std::runtime_error("--default answers unknown requests: it needs --match");
        }
        serving.hasDefault = answer.isSet;
        if (answer.isSet) {
            serving.defaultAnswer = defaultAnswer(answer.value);
        }
        quorvex::ReaderOptions reading;
        reading.lenient = lenient.isSet;
        reading.port = port.value;
        reading.dot = dot.isSet ? quorvex::dotByte(dot.value) : -1;
        if (mask.isSet) {
            serving.masks = quorvex::readMaskFile(mask.value);
        }
        quorvex::PortMonReader reader(input.value, reading);
        const quorvex::LoadedDump dump = quorvex::loadDump(reader);
        const auto device = openPort(pty.isSet, serial.value, serving.timeout);
        print(kq::format("port: %s\n", device->name().c_str()));
        std::vector<quorvex::RequestRecord> requests;
        const bool served = serving.match ? quorvex::serveRequests(dump, *device, serving)
                                          : quorvex::serveDump(dump, *device, serving, &requests);
        if (json.isSet) {
            quorvex::writeDeviceJson(json.value, input.value, device->name(), requests);
        }
        return served ? 0 : 1;
    } catch (const std::exception& e) {
        print(kq::format("ERROR: %s\n", e.what()));
        return 1;
    }
}
