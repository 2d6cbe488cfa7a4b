#include "CommandLine.h"

#include "Commands.h"
#include "common/Console.h"

#include <kq/StringUtils.h>

#include <cstdlib>
#include <map>

namespace quorvex {

const char* const usage =
    "usage: kqpcsc list\n"
    "       kqpcsc status READER\n"
    "       kqpcsc send READER APDU... [--t0]\n"
    "       kqpcsc run READER FILE [--t0] [--keep-going]\n"
    "       kqpcsc wait READER [--timeout=MS]\n"
    "       kqpcsc watch [--timeout=MS]\n"
    "       kqpcsc atr HEX\n"
    "       (each also with --json)\n"
    "\n"
    "  list    prints the name of every reader the smart-card service knows\n"
    "  status  prints whether a card is in READER and, if so, its state and ATR, decoded\n"
    "  send    connects to the card in READER, sends each APDU (hex, blanks allowed,\n"
    "          e.g. \"00 A4 04 00 02 3F 00\"; extended lengths too) and prints each\n"
    "          command (->) and response (<-)\n"
    "  run     runs a script FILE: one APDU a line, optionally followed by\n"
    "          \"=> EXPECTED\" (hex bytes of data and SW, ?? for any byte, a final * for\n"
    "          any further bytes); \"reset\" resets the card; # starts a comment\n"
    "  wait    waits until a card is in READER\n"
    "  watch   prints readers added and removed and cards inserted and removed, with\n"
    "          the time, until interrupted or the time-out; the readers and cards\n"
    "          there at the start come first\n"
    "  atr     decodes an ATR given in hex\n"
    "\n"
    "  --t0          follows a T=0 card: after 61xx sends GET RESPONSE (00 C0 00 00 xx)\n"
    "                until the card answers otherwise and joins the data (<=); after\n"
    "                6Cxx sends the command again with Le xx. Without it only the\n"
    "                typed bytes go to the card\n"
    "  --keep-going  runs the whole script, even after an expectation was not met\n"
    "  --timeout=MS  gives up after MS milliseconds (default: never)\n"
    "  --json        prints one JSON object a line\n"
    "\n"
    "Exit status: 0 when done (send: every response is 90xx; run: every expectation\n"
    "held; atr: a valid ATR), 1 otherwise, on time-out (wait) or when the reader, the\n"
    "card or the service is missing, 2 for a command line or script line it does not\n"
    "understand.\n";

namespace {

struct CommandLine {
    std::string command;
    std::vector<std::string> operands;
    Options options;
};

unsigned int parseTimeout(const std::string& text)
{
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || text[0] < '0' || text[0] > '9' || *end != '\0' ||
        value >= kq::io::InfiniteTimeout) {
        throw UsageError(kq::format("'%s' is not a time-out in milliseconds", text.c_str()));
    }
    return static_cast<unsigned int>(value);
}

// The options each command takes.
const std::map<std::string, std::string> allowedOptions = {
    {"list", "json"},        {"status", "json"},       {"send", "json t0"},
    {"run", "json t0 keep"}, {"wait", "json timeout"}, {"watch", "json timeout"},
    {"atr", "json"},
};

void applyOption(const std::string& arg, CommandLine& line)
{
    const auto allowed = allowedOptions.find(line.command);
    const auto takes = [&](const char* option) {
        return allowed != allowedOptions.end() && allowed->second.find(option) != std::string::npos;
    };
    if (arg == "--json" && takes("json")) {
        line.options.json = true;
    } else if (arg == "--t0" && takes("t0")) {
        line.options.t0 = true;
    } else if (arg == "--keep-going" && takes("keep")) {
        line.options.keepGoing = true;
    } else if (arg.compare(0, 10, "--timeout=") == 0 && takes("timeout")) {
        line.options.timeoutMs = parseTimeout(arg.substr(10));
    } else {
        throw UsageError(
            kq::format("'%s' is not an option of '%s'", arg.c_str(), line.command.c_str()));
    }
}

CommandLine parse(const std::vector<std::string>& args)
{
    CommandLine line;
    if (args.empty()) {
        throw UsageError("no command given");
    }
    line.command = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i].compare(0, 2, "--") == 0) {
            applyOption(args[i], line);
        } else {
            line.operands.push_back(args[i]);
        }
    }
    return line;
}

}  // namespace

int runCommandLine(const std::vector<std::string>& args)
{
    const CommandLine line = parse(args);
    const std::string& command = line.command;
    const auto& operands = line.operands;
    const Options& options = line.options;
    if (command == "list" && operands.empty()) {
        return listReaders(options);
    }
    if (command == "status" && operands.size() == 1) {
        return showStatus(operands[0], options);
    }
    if (command == "send" && operands.size() >= 2) {
        return sendApdus(operands[0], {operands.begin() + 1, operands.end()}, options);
    }
    if (command == "run" && operands.size() == 2) {
        return runScript(operands[0], operands[1], options);
    }
    if (command == "wait" && operands.size() == 1) {
        return waitForCard(operands[0], options);
    }
    if (command == "watch" && operands.empty()) {
        return watchReaders(options);
    }
    if (command == "atr" && !operands.empty()) {
        std::string hexText;
        for (const auto& operand : operands) {
            hexText += operand;
        }
        return showAtr(hexText, options);
    }
    if ((command == "help" || command == "--help" || command == "-h") && args.size() == 1) {
        print(usage);
        return 0;
    }
    throw UsageError("can't understand that command line");
}

}  // namespace quorvex
