#include "Script.h"

#include "FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

using kqtest::fuzzCheck;
using namespace quorvex;

namespace {

int lineCount(const std::string& text)
{
    int lines = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        ++lines;
    }
    return lines;
}

// An expectation written back as a script writes it reads the same, and matches
// the response it describes with every wildcard a zero.
void checkExpectation(const quorvex::BytePattern& expectation)
{
    std::istringstream again("00000000 => " + expectation.text());
    const auto reread = readScript(again);
    fuzzCheck(reread.size() == 1 && reread[0].expectation.bytes == expectation.bytes &&
                  reread[0].expectation.anyTail == expectation.anyTail,
              "an expectation reads back as written", expectation.text());
    std::vector<unsigned char> response;
    for (const int b : expectation.bytes) {
        response.push_back(static_cast<unsigned char>(b == quorvex::BytePattern::any ? 0 : b));
    }
    fuzzCheck(expectation.matches(response), "an expectation matches what it describes");
}

}  // namespace

// A script is read whole, or refused at a line that it has.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    std::vector<ScriptStep> steps;
    try {
        steps = readScript(in);
    } catch (const ScriptError& e) {
        fuzzCheck(e.line >= 1 && e.line <= lineCount(text), "the refused line is in the script");
        return 0;
    }
    int previous = 0;
    for (const auto& step : steps) {
        fuzzCheck(step.line > previous && step.line <= lineCount(text), "lines in their order");
        previous = step.line;
        fuzzCheck(step.reset || step.command.size() >= 4, "a command has 4 bytes or more");
        if (step.expects) {
            checkExpectation(step.expectation);
        }
    }
    return 0;
}
