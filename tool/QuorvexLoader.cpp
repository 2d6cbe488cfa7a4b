#include "Console.h"
#include "Replay.h"

#include <kq/ProgramOptions.h>
#include <kq/StringUtils.h>

#include <exception>
#include <stdexcept>

namespace {

// Distinct types for the two options; they add nothing to the string value.
class SerialNameOption : public kq::ProgramOptions::StringOptionValue {};
class InputOption : public kq::ProgramOptions::StringOptionValue {};

}  // namespace

int main(int argc, char* argv[])
{
    using quorvex::print;
    SerialNameOption serial;
    InputOption input;
    kq::ProgramOptions::OptionsProcessor options('-', '=');
    options.add("s", "serial", "serial device name: 'COM1', 'ttyUSB0'", &serial);
    options.add("i", "input", "input file ( PortMon dump)", &input);
    options.process(argc, argv);

    bool showUsage = true;
    try {
        if (!serial.isSet)
            throw std::runtime_error("serial name not set");
        if (!input.isSet)
            throw std::runtime_error("input not set");
        showUsage = false;
        quorvex::runReplay(serial.value, input.value);
        print("complete\n");
        return 0;
    } catch (const std::exception& e) {
        print(kq::format("ERROR: %s\n", e.what()));
        if (showUsage)
            print(kq::format("usage:\n%s", options.toString().c_str()));
        return 1;
    }
}
