#include "Arguments.h"

#include "Console.h"

#include <kq/StringUtils.h>

#include <algorithm>

namespace quorvex {

std::vector<std::string> unknownArguments(const std::vector<std::string>& args,
                                          const std::vector<std::string>& forms)
{
    std::vector<std::string> unknown;
    for (const std::string& argument : args) {
        const std::string name = argument.substr(0, argument.find('='));
        if (std::find(forms.begin(), forms.end(), name) == forms.end()) {
            unknown.push_back(argument);
        }
    }
    return unknown;
}

void warnAboutUnknownArguments(const char* program, int argc, char* argv[],
                               const std::vector<std::string>& forms)
{
    warnAboutUnknownArguments(program, std::vector<std::string>(argv + 1, argv + argc), forms);
}

void warnAboutUnknownArguments(const char* program, const std::vector<std::string>& args,
                               const std::vector<std::string>& forms)
{
    for (const std::string& argument : unknownArguments(args, forms)) {
        printError(
            kq::format("warning: unknown argument '%s' ignored (%s --help lists the options)\n",
                       argument.c_str(), program));
    }
}

}  // namespace quorvex
