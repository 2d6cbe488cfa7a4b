#include "DumpSurvey.h"

#include "common/Console.h"
#include "common/Hex.h"
#include "common/LineSettings.h"

#include <kq/StringUtils.h>

namespace quorvex {

namespace {

bool isShort(const PortMonAction& action)
{
    return action.declared > static_cast<long>(action.data.size());
}

void count(DumpSurvey& survey, const PortMonAction& action)
{
    const long bytes = static_cast<long>(action.data.size());
    switch (action.kind) {
        case ActionKind::Send:
            ++survey.sends;
            survey.sendBytes += bytes;
            break;
        case ActionKind::Recv:
            ++survey.reads;
            survey.readBytes += bytes;
            break;
        case ActionKind::Purge:
            ++survey.purges;
            break;
        case ActionKind::Settings:
            ++survey.settings;
            break;
        case ActionKind::None:
            break;
    }
    if (isShort(action) && survey.shortPayloads++ == 0) {
        survey.firstShort = action.line;
    }
}

std::string join(const std::set<std::string>& names)
{
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : " ") + name;
    }
    return text;
}

std::string describe(const PortMonAction& action)
{
    const long bytes = static_cast<long>(action.data.size());
    std::string text;
    switch (action.kind) {
        case ActionKind::Purge:
            text = "purge";
            break;
        case ActionKind::Send:
            text = kq::format("send %ld bytes %s", bytes, spacedHex(action.data).c_str());
            break;
        case ActionKind::Recv:
            text = kq::format("recv %ld bytes %s", bytes, spacedHex(action.data).c_str());
            break;
        case ActionKind::Settings:
            text = "settings " + lineChangeText(action.change);
            break;
        case ActionKind::None:
            break;
    }
    if (isShort(action)) {
        text += kq::format("(Length %ld, shown %ld)", action.declared, bytes);
    }
    return kq::format("line %ld: %s\n", action.line, text.c_str());
}

}  // namespace

DumpSurvey surveyDump(const std::string& inputFile, const ReaderOptions& options,
                      const std::function<void(const PortMonAction&)>& each)
{
    PortMonReader reader(inputFile, options);
    DumpSurvey survey;
    try {
        while (const PortMonAction* action = reader.next()) {
            count(survey, *action);
            if (each) {
                each(*action);
            }
        }
    } catch (const DumpError&) {
        throw;
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(kq::format(
            "%s at line %ld: if the log was saved without hex display, give --dot=HH (HH the "
            "byte a '.' stands for in a send, e.g. --dot=0D)",
            e.what(), reader.lineNumber()));
    }
    survey.notUnderstood = reader.notUnderstood();
    survey.firstNotUnderstood = reader.firstNotUnderstood();
    survey.ports = reader.ports();
    return survey;
}

void warnAbout(const DumpSurvey& survey, const ReaderOptions& options)
{
    if (survey.notUnderstood > 0) {
        printError(
            kq::format("warning: %ld lines name a request but were not understood, the first is "
                       "line %ld%s%s\n",
                       survey.notUnderstood, survey.firstNotUnderstood,
                       survey.actions() == 0 ? "; nothing was replayed" : "",
                       options.lenient ? "" : " (--lenient reads more log variants)"));
    }
    if (survey.actions() == 0 && survey.notUnderstood == 0) {
        printError(
            "warning: the log holds no read, write or purge request: nothing was "
            "found to replay\n");
    }
    if (!options.port.empty() && survey.ports.count(options.port) == 0) {
        printError(kq::format("warning: the log has no lines of port '%s' (it names: %s)\n",
                              options.port.c_str(), join(survey.ports).c_str()));
    }
    if (survey.ports.size() > 1 && options.port.empty()) {
        printError(kq::format("warning: the log names several ports (%s): choose one with --port\n",
                              join(survey.ports).c_str()));
    }
}

int checkDump(const std::string& inputFile, const ReaderOptions& options)
{
    const DumpSurvey survey = surveyDump(
        inputFile, options, [](const PortMonAction& action) { print(describe(action)); });
    print(kq::format("sends: %ld (%ld bytes), reads: %ld (%ld bytes), purges: %ld\n", survey.sends,
                     survey.sendBytes, survey.reads, survey.readBytes, survey.purges));
    print(kq::format("lines not understood: %ld", survey.notUnderstood) +
          (survey.notUnderstood ? kq::format(", the first is line %ld", survey.firstNotUnderstood)
                                : "") +
          "\n");
    print("ports: " + (survey.ports.empty() ? "none named" : join(survey.ports)) + "\n");
    print(kq::format("payloads shorter than their length: %ld", survey.shortPayloads) +
          (survey.shortPayloads ? kq::format(", the first is line %ld", survey.firstShort) : "") +
          "\n");
    if (survey.actions() == 0) {
        print("nothing to replay: the log yields no action\n");
    }
    const long problems = survey.notUnderstood + survey.shortPayloads +
                          (survey.ports.size() > 1 && options.port.empty() ? 1 : 0) +
                          (survey.actions() == 0 ? 1 : 0);
    print(problems == 0 ? "check: no problems found\n"
                        : kq::format("check: %ld problems found\n", problems));
    return problems == 0 ? 0 : 1;
}

}  // namespace quorvex
