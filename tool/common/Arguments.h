#pragma once

#include <string>
#include <vector>

namespace quorvex {

// The arguments that name none of the options, as the options processor (which
// says nothing of them) passes them over: forms are the options' complete
// names, e.g. "-s" and "--serial", matched exactly against the text before '='.
std::vector<std::string> unknownArguments(const std::vector<std::string>& args,
                                          const std::vector<std::string>& forms);

// Warns on standard error about each of them: a mistyped option would otherwise
// be dropped without a word, and the run would go on without it.
void warnAboutUnknownArguments(const char* program, const std::vector<std::string>& args,
                               const std::vector<std::string>& forms);
// The same for the arguments after the program name.
void warnAboutUnknownArguments(const char* program, int argc, char* argv[],
                               const std::vector<std::string>& forms);

}  // namespace quorvex
