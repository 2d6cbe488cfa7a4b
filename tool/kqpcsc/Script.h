#pragma once

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

// The bytes a response must have: each a value or any (??), then any further
// bytes when it ends in *.
struct Expectation {
    // A value 0 to 255, or AnyByte.
    std::vector<int> bytes;
    bool anyMore = false;
    static constexpr int AnyByte = -1;
};

// One thing a script does: reset the card, or send a command and, with an
// expectation, check the response (its data and SW1 SW2).
struct ScriptStep {
    int line = 0;
    bool reset = false;
    std::vector<unsigned char> command;
    bool expects = false;
    Expectation expectation;
};

// Reads a whole script: one APDU a line in hex (blanks allowed), optionally
// followed by "=> EXPECTATION"; "reset" alone on a line; "#" starts a comment;
// blank lines are skipped. Throws ScriptError at the first line it cannot read.
std::vector<ScriptStep> readScript(std::istream& in);

bool matches(const Expectation& expectation, const std::vector<unsigned char>& response);

// As a script writes it: "?? 90 00 *".
std::string expectationText(const Expectation& expectation);

}  // namespace quorvex
