// run: a script of commands with expected responses.
#include "CardSession.h"
#include "Commands.h"
#include "Report.h"
#include "Script.h"
#include "common/Console.h"

#include <kq/StringUtils.h>

#include <fstream>

namespace quorvex {

namespace {

using kq::io::pcsc;

std::vector<ScriptStep> readScriptFile(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error(kq::format("can't open the script '%s'", file.c_str()));
    }
    try {
        return readScript(in);
    } catch (const ScriptError& e) {
        throw ScriptError(e.line, kq::format("%s:%d: %s", file.c_str(), e.line, e.what()));
    }
}

// Runs one line of a script; returns whether its expectation held.
bool runStep(pcsc& reader, const ScriptStep& step, const Options& options, const Report& report)
{
    if (step.reset) {
        reader.reset();
        report.reset(step.line);
        return true;
    }
    bool held = true;
    const Judge judge = [&step, &held](const Bytes& response) {
        if (!step.expects) {
            return std::string();
        }
        held = step.expectation.matches(response);
        return std::string(held ? "pass" : "fail");
    };
    exchange(reader, step.command, options, report, step.line, judge);
    report.verdict(step.line, !step.expects ? "ok (nothing expected)"
                              : held        ? "pass"
                                            : "fail, expected " + step.expectation.text());
    return held;
}

std::string lineList(const std::vector<int>& lines)
{
    std::string text;
    for (const int line : lines) {
        text += (text.empty() ? "" : ", ") + std::to_string(line);
    }
    return text;
}

}  // namespace

int runScript(const std::string& name, const std::string& file, const Options& options)
{
    const std::vector<ScriptStep> steps = readScriptFile(file);
    const auto reader = connectCard(name);
    const Report report(options.json);
    std::vector<int> failed;
    for (const auto& step : steps) {
        if (!runStep(*reader, step, options, report)) {
            failed.push_back(step.line);
            if (!options.keepGoing) {
                break;
            }
        }
    }
    reader->disconnect();
    if (failed.empty()) {
        return 0;
    }
    printError(kq::format("kqpcsc: %s: expectation not met on line%s %s\n", file.c_str(),
                          failed.size() > 1 ? "s" : "", lineList(failed).c_str()));
    return 1;
}

}  // namespace quorvex
