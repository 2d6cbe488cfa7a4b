#include "Script.h"

#include "common/Hex.h"
#include "common/Trimmed.h"

#include <kq/StringUtils.h>

#include <cstddef>

namespace quorvex {

namespace {

const char* const Blanks = " \t\r";

BytePattern readExpectation(int line, const std::string& text)
{
    BytePattern expectation;
    for (std::size_t p = text.find_first_not_of(Blanks); p != std::string::npos;
         p = text.find_first_not_of(Blanks, p)) {
        if (expectation.anyTail) {
            throw ScriptError(line, "'*' ends an expectation: nothing may follow it");
        }
        if (text[p] == '*') {
            expectation.anyTail = true;
            ++p;
            continue;
        }
        const int high = hexDigit(text[p]);
        const int low = p + 1 < text.size() ? hexDigit(text[p + 1]) : -1;
        if (text.compare(p, 2, "??") == 0) {
            expectation.bytes.push_back(BytePattern::any);
        } else if (high >= 0 && low >= 0) {
            expectation.bytes.push_back(high << 4 | low);
        } else {
            throw ScriptError(line, kq::format("'%s' is not a byte: two hex digits or ?? expected",
                                               text.substr(p, 2).c_str()));
        }
        p += 2;
    }
    if (expectation.bytes.empty() && !expectation.anyTail) {
        throw ScriptError(line, "nothing expected after '=>'");
    }
    return expectation;
}

ScriptStep readStep(int line, const std::string& text)
{
    ScriptStep step;
    step.line = line;
    if (kq::icompare(text, "reset")) {
        step.reset = true;
        return step;
    }
    const std::size_t arrow = text.find("=>");
    const std::string command = trimmed(text.substr(0, arrow));
    if (!parseHexBytes(command, step.command) || step.command.size() < 4) {
        throw ScriptError(line, kq::format("'%s' is not a command APDU: two hex digits a byte, "
                                           "at least 4 bytes",
                                           command.c_str()));
    }
    if (arrow != std::string::npos) {
        step.expects = true;
        step.expectation = readExpectation(line, text.substr(arrow + 2));
    }
    return step;
}

}  // namespace

std::vector<ScriptStep> readScript(std::istream& in)
{
    std::vector<ScriptStep> steps;
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        const std::string content = trimmed(text.substr(0, text.find('#')));
        if (!content.empty()) {
            steps.push_back(readStep(line, content));
        }
    }
    return steps;
}

}  // namespace quorvex
