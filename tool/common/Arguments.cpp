#include "Arguments.h"

#include "Console.h"

#include <kq/StringUtils.h>

#include <algorithm>

namespace quorvex {

void warnAboutUnknownArguments(const char* program, int argc, char* argv[],
                               const std::vector<std::string>& forms)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const std::string name = argument.substr(0, argument.find('='));
        if (std::find(forms.begin(), forms.end(), name) == forms.end()) {
            printError(
                kq::format("warning: unknown argument '%s' ignored (%s --help lists the options)\n",
                           argument.c_str(), program));
        }
    }
}

}  // namespace quorvex
