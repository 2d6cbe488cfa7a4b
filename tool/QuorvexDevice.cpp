// The device side of a PortMon dump: serves QuorvexLoader (or the real host
// program) on a serial port or a pseudo-terminal and checks what it sends.
#include "Console.h"
#include "DevicePort.h"
#include "DeviceSession.h"

#include <kq/NumberParser.h>
#include <kq/ProgramOptions.h>
#include <kq/StringUtils.h>

#include <exception>
#include <stdexcept>

namespace {

using namespace quorvex;

const char* const usage =
    "usage: QuorvexDevice -i=<dump> (-s=<device> | --pty) [-t=<ms>]\n"
    "  -i, --input=FILE    PortMon dump whose device side to play\n"
    "  -s, --serial=NAME   serial device to serve: 'COM2', 'ttyUSB1'\n"
    "  -p, --pty           create a pseudo-terminal and serve it (not on Windows);\n"
    "                      its name for the loader's -s= option is printed as 'port: NAME'\n"
    "  -t, --timeout=MS    wait per expected block from the host, default 10000\n";

const std::chrono::milliseconds defaultTimeout(10000);

// A rejected option value would look like a missing one, so the text is checked
// here, where a bad value can be named.
std::chrono::milliseconds blockTimeout(const kq::ProgramOptions::StringOptionValue& option)
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

std::unique_ptr<DevicePort> openPort(bool pty, const std::string& serialName)
{
    if (pty)
        return openPseudoTerminal();
    return openSerialPort(serialName);
}

}  // namespace

int main(int argc, char* argv[])
{
    kq::ProgramOptions::StringOptionValue serial;
    kq::ProgramOptions::StringOptionValue input;
    kq::ProgramOptions::StringOptionValue pty;
    kq::ProgramOptions::StringOptionValue timeout;
    kq::ProgramOptions::OptionsProcessor options('-', '=');
    options.add("s", "serial", "serial device to serve", &serial);
    options.add("i", "input", "PortMon dump", &input);
    options.add("p", "pty", "serve a new pseudo-terminal", &pty);
    options.add("t", "timeout", "ms to wait for each expected block", &timeout);
    options.process(argc, argv);

    try {
        if (!input.isSet || serial.isSet == pty.isSet) {
            print(usage);
            return 1;
        }
        const auto perBlock = blockTimeout(timeout);
        PortMonReader reader(input.value);
        const auto port = openPort(pty.isSet, serial.value);
        print(kq::format("port: %s\n", port->name().c_str()));
        return serveDump(reader, *port, perBlock) ? 0 : 1;
    } catch (const std::exception& e) {
        print(kq::format("ERROR: %s\n", e.what()));
        return 1;
    }
}
