#pragma once

#include "common/BytePattern.h"

#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvex {

// A script line that cannot be read, with its number (from 1).
struct ScriptError : std::runtime_error {
    ScriptError(int line, const std::string& what) : std::runtime_error(what), line(line) {}
    int line;
};

// One thing a script does: reset the card, or send a command and, with an
// expectation, check the response (its data and SW1 SW2).
struct ScriptStep {
    int line = 0;
    bool reset = false;
    std::vector<unsigned char> command;
    bool expects = false;
    // The bytes a response must have (data and SW1 SW2).
    BytePattern expectation;
};

// Reads a whole script: one APDU a line in hex (blanks allowed), optionally
// followed by "=> EXPECTATION"; "reset" alone on a line; "#" starts a comment;
// blank lines are skipped. Throws ScriptError at the first line it cannot read.
std::vector<ScriptStep> readScript(std::istream& in);

}  // namespace quorvex
