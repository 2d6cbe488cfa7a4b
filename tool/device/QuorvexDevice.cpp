// The device side of a PortMon dump: serves QuorvexLoader (or the real host
// program) on a serial port or a pseudo-terminal and checks what it sends.
#include "DevicePort.h"
#include "DeviceSession.h"
#include "common/Arguments.h"
#include "common/Console.h"
#include "portmon/TextPayload.h"

#include <kq/NumberParser.h>
#include <kq/ProgramOptions.h>
#include <kq/StringUtils.h>

#include <exception>
#include <stdexcept>

namespace {

using kq::ProgramOptions::StringOptionValue;

const char* const usage =
    "usage: QuorvexDevice -i=<dump> (-s=<device> | --pty) [-t=<ms>] [--lenient] [--port=NAME]\n"
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
    "  --json=FILE         each expected request and its verdict as JSON\n";

const std::chrono::milliseconds defaultTimeout(10000);

// A rejected option value would look like a missing one, so the text is checked
// here, where a bad value can be named.
std::chrono::milliseconds hostTimeout(const StringOptionValue& option)
{
    if (!option.isSet)
        return defaultTimeout;
    int ms = 0;
    if (!kq::NumberParser::tryParseInt32(option.value, ms) || ms <= 0)
        throw std::runtime_error(
            kq::format("invalid timeout '%s': give a whole number of milliseconds above 0",
                       option.value.c_str()));
    return std::chrono::milliseconds(ms);
}

std::unique_ptr<quorvex::DevicePort> openPort(bool pty, const std::string& serialName,
                                              std::chrono::milliseconds timeout)
{
    if (pty)
        return quorvex::openPseudoTerminal();
    return quorvex::openSerialPort(serialName, timeout);
}

}  // namespace

int main(int argc, char* argv[])
{
    using quorvex::print;
    StringOptionValue serial, input, pty, timeout, lenient, port, dot, mask, json;
    kq::ProgramOptions::OptionsProcessor options('-', '=');
    options.add("s", "serial", "serial device to serve", &serial);
    options.add("i", "input", "PortMon dump", &input);
    options.add("p", "pty", "serve a new pseudo-terminal", &pty);
    options.add("t", "timeout", "ms the host may do nothing", &timeout);
    options.add("", "lenient", "read more log variants", &lenient);
    options.add("", "port", "serve one port's lines", &port);
    options.add("", "dot", "byte a '.' stands for", &dot);
    options.add("", "mask", "mask file", &mask);
    options.add("", "json", "JSON report", &json);
    options.process(argc, argv);
    quorvex::warnAboutUnknownArguments(
        "QuorvexDevice", argc, argv,
        {"-s", "--serial", "-i", "--input", "-p", "--pty", "-t", "--timeout", "--lenient", "--port",
         "--dot", "--mask", "--json"});

    try {
        if (!input.isSet || serial.isSet == pty.isSet) {
            print(usage);
            return 1;
        }
        const auto idle = hostTimeout(timeout);
        quorvex::ReaderOptions reading;
        reading.lenient = lenient.isSet;
        reading.port = port.value;
        reading.dot = dot.isSet ? quorvex::dotByte(dot.value) : -1;
        const quorvex::MaskSet masks =
            mask.isSet ? quorvex::readMaskFile(mask.value) : quorvex::MaskSet();
        quorvex::PortMonReader reader(input.value, reading);
        const auto device = openPort(pty.isSet, serial.value, idle);
        print(kq::format("port: %s\n", device->name().c_str()));
        std::vector<quorvex::RequestRecord> requests;
        const bool served = quorvex::serveDump(reader, *device, idle, masks, &requests);
        if (json.isSet)
            quorvex::writeDeviceJson(json.value, input.value, device->name(), requests);
        return served ? 0 : 1;
    } catch (const std::exception& e) {
        print(kq::format("ERROR: %s\n", e.what()));
        return 1;
    }
}
