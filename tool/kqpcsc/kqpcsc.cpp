// kqpcsc: lists smart-card readers, shows the card in one, and sends it
// command APDUs, through kqsystem's PC/SC access.
#include "common/Arguments.h"
#include "common/Console.h"

#include <kq/NumberFormatter.h>
#include <kq/StringUtils.h>
#include <kq/io/apdu.h>
#include <kq/io/pcsc.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using kq::io::apdu;
using kq::io::pcsc;
using quorvex::print;
using quorvex::separatedHex;

const char* const usage =
    "usage: kqpcsc list\n"
    "       kqpcsc status READER\n"
    "       kqpcsc send READER APDU...\n"
    "\n"
    "  list    prints the name of every reader the smart-card service knows\n"
    "  status  prints whether a card is in READER and, if so, its state and ATR\n"
    "  send    connects to the card in READER, sends each APDU (hex, blanks allowed,\n"
    "          e.g. \"00 A4 04 00 02 3F 00\") and prints each response\n"
    "\n"
    "Exit status: 0 when done (send: every response is 90xx), 1 otherwise,\n"
    "2 for a command line it does not understand.\n";

// A command line that kqpcsc does not understand.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const char* stateName(kq::io::CardStatus status)
{
    static const char* const names[] = {"unknown", "absent",     "present", "swallowed",
                                        "powered", "negotiable", "specific"};
    return names[status];
}

apdu parseCommand(const std::string& text)
{
    std::string digits = text;
    digits.erase(std::remove(digits.begin(), digits.end(), ' '), digits.end());
    std::vector<unsigned char> bytes;
    try {
        bytes = kq::NumberFormatter::string2buffer(digits);
    } catch (const std::runtime_error&) {
        bytes.clear();
    }
    if (digits.size() % 2 != 0 || bytes.size() < 4) {
        throw UsageError(kq::format(
            "'%s' is not a command APDU: two hex digits a byte, at least 4 bytes", text.c_str()));
    }
    return apdu::fromBuffer(bytes.data(), static_cast<unsigned int>(bytes.size()));
}

// The reader, once the service is reachable and knows it.
std::unique_ptr<pcsc> openReader(const std::string& name)
{
    std::unique_ptr<pcsc> reader;
    try {
        reader.reset(new pcsc(name));
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(
            kq::format("the smart-card service is not available: %s", e.what()));
    }
    const auto names = kq::io::enumeratePCSCDevices();
    if (std::find(names.begin(), names.end(), name) == names.end())
        throw std::runtime_error(
            kq::format("no reader named '%s' ('kqpcsc list' shows the readers)", name.c_str()));
    return reader;
}

int list()
{
    const auto names = kq::io::enumeratePCSCDevices();
    if (names.empty())
        throw std::runtime_error("no readers found");
    for (const auto& name : names)
        print(name + "\n");
    return 0;
}

int status(const std::string& name)
{
    const auto reader = openReader(name);
    const bool present = reader->isCardPresented();
    print(kq::format("reader: %s\ncard: %s\n", name.c_str(), present ? "present" : "absent"));
    if (present) {
        reader->connect();
        std::vector<unsigned char> atr;
        const kq::io::CardStatus state = reader->cardStatus(atr);
        print(kq::format("state: %s\nATR: %s\n", stateName(state),
                         separatedHex(atr.data(), static_cast<unsigned int>(atr.size())).c_str()));
        reader->disconnect();
    }
    return 0;
}

int send(const std::string& name, const std::vector<std::string>& texts)
{
    std::vector<apdu> commands;
    for (const auto& text : texts)
        commands.push_back(parseCommand(text));
    const auto reader = openReader(name);
    if (!reader->isCardPresented())
        throw std::runtime_error(kq::format("no card in '%s'", name.c_str()));
    reader->connect();
    bool allSucceeded = true;
    for (const auto& command : commands) {
        const apdu response = reader->exchange(command);
        const unsigned int data = response.size() < 2 ? 0 : response.size() - 2;
        print(kq::format("-> %s\n<- %s%sSW %02X %02X\n",
                         separatedHex(command.raw(), command.size()).c_str(),
                         separatedHex(response.raw(), data).c_str(), data ? "  " : "",
                         response.sw1(), response.sw2()));
        allSucceeded = allSucceeded && response.size() >= 2 && response.isSuccess();
    }
    reader->disconnect();
    return allSucceeded ? 0 : 1;
}

int run(const std::vector<std::string>& args)
{
    const std::string command = args.empty() ? "" : args[0];
    if (command == "list" && args.size() == 1)
        return list();
    if (command == "status" && args.size() == 2)
        return status(args[1]);
    if (command == "send" && args.size() >= 3)
        return send(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    if ((command == "help" || command == "--help" || command == "-h") && args.size() == 1) {
        print(usage);
        return 0;
    }
    throw UsageError(command.empty() ? "no command given" : "can't understand that command line");
}

// The commands take readers and APDUs, never an option besides help: an argument
// that looks like one is a mistake worth naming.
void warnAboutOptions(const std::vector<std::string>& args)
{
    std::vector<std::string> options;
    std::copy_if(args.begin(), args.end(), std::back_inserter(options),
                 [](const std::string& arg) { return arg.size() > 1 && arg[0] == '-'; });
    quorvex::warnAboutUnknownArguments("kqpcsc", options, {"-h", "--help"});
}

}  // namespace

int main(int argc, char* argv[])
{
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        warnAboutOptions(args);
        return run(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "kqpcsc: %s\n%s", e.what(), usage);
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kqpcsc: %s\n", e.what());
        return 1;
    }
}
