#pragma once

#include <string>
#include <vector>

namespace quorvex {

// Warns on standard error about each argument after the program name that names
// none of the options: the options processor says nothing of them, so a mistyped
// option would otherwise be dropped without a word and the run go on without it.
// forms are the options' complete names, e.g. "-s" and "--serial", matched
// exactly against the text before '='.
void warnAboutUnknownArguments(const char* program, int argc, char* argv[],
                               const std::vector<std::string>& forms);

}  // namespace quorvex
