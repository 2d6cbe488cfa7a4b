#pragma once

#include <string>
#include <vector>

namespace quorvex {

extern const char* const usage;

// Runs the command that the arguments (argv without the program name) name and
// returns its exit status; throws as the commands do (see Commands.h).
int runCommandLine(const std::vector<std::string>& args);

}  // namespace quorvex
