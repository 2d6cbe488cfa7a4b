// Sits between a program and a serial device and writes what passes as a
// PortMon log, which QuorvexLoader and QuorvexDevice replay.
#include "Recorder.h"
#include "common/ProgramMain.h"

#include <kq/ProgramOptions.h>

#include <stdexcept>

namespace {

using kq::ProgramOptions::StringOptionValue;

const char* const usage =
    "usage: QuorvexRecorder -s=<device> -o=<log> [--link=PATH] [--once] [--force]\n"
    "                       [--config=TEXT] [--front=PORT]\n"
    "  -s, --serial=NAME   the real port: 'ttyUSB0', 'pts/3', 'COM3'\n"
    "  -o, --output=FILE   the PortMon log to write; never replaced without --force\n"
    "  --link=PATH         also a symbolic link to the program's pseudo-terminal,\n"
    "                      removed at the end (Linux)\n"
    "  --once              end once the program has opened and closed the port\n"
    "  --force             replace an existing log\n"
    "  --config=TEXT       line settings to start with, default\n"
    "                      'baud=115200;data=8;parity=none;stop=1;flow=off'; data bits and\n"
    "                      parity always come from here (a pseudo-terminal cannot show them)\n"
    "  --front=PORT        relay from this second real port (one end of a null-modem pair)\n"
    "                      instead of a pseudo-terminal; its settings stay those of --config\n"
    "  --help              this text\n"
    "Linux: the program opens the pseudo-terminal printed as 'port: pts/N'; its baud rate,\n"
    "stop bits and flow control are followed. Ctrl-C or SIGTERM ends the recording.\n";

struct Options {
    StringOptionValue serial, output, link, once, force, config, front, help;
};

quorvex::RecorderOptions recorderOptions(const Options& o)
{
    if (!o.serial.isSet || o.serial.value.empty()) {
        throw std::runtime_error("serial name not set");
    }
    if (!o.output.isSet || o.output.value.empty()) {
        throw std::runtime_error("output not set");
    }
    if (o.front.isSet && (o.once.isSet || o.link.isSet)) {
        throw std::runtime_error(
            "--once and --link need the pseudo-terminal: a second port shows no opening");
    }
    quorvex::RecorderOptions result;
    result.serial = o.serial.value;
    result.output = o.output.value;
    result.link = o.link.value;
    result.front = o.front.value;
    result.once = o.once.isSet;
    result.force = o.force.isSet;
    result.line = quorvex::startingLine(o.config.value);
    return result;
}

}  // namespace

int main(int argc, char* argv[])
{
    Options o;
    quorvex::OptionList options;
    options.add("s", "serial", "the real port", o.serial);
    options.add("o", "output", "the log to write", o.output);
    options.addLongOnly({{"link", &o.link},
                         {"once", &o.once},
                         {"force", &o.force},
                         {"config", &o.config},
                         {"front", &o.front},
                         {"help", &o.help}});
    options.read(argc, argv);
    options.warnAboutUnknown("QuorvexRecorder", argc, argv);
    return quorvex::runMain(o.help.isSet, usage, usage, [&](bool& showUsage) {
        const quorvex::RecorderOptions recorder = recorderOptions(o);
        showUsage = false;
        quorvex::runRecorder(recorder);
        return 0;
    });
}
