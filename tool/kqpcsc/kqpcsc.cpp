// kqpcsc: lists smart-card readers, shows and decodes the card in one, sends it
// command APDUs or a script of them, and follows reader and card events, through
// kqsystem's PC/SC access.
#include "CommandLine.h"
#include "Commands.h"
#include "Script.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    try {
        return quorvex::runCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const quorvex::UsageError& e) {
        std::fprintf(stderr, "kqpcsc: %s\n%s", e.what(), quorvex::usage);
        return 2;
    } catch (const quorvex::ScriptError& e) {
        std::fprintf(stderr, "kqpcsc: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kqpcsc: %s\n", e.what());
        return 1;
    }
}
