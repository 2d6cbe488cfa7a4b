#include "ProgramMain.h"

#include "Arguments.h"
#include "Console.h"
#include "Interrupt.h"

#include <kq/StringUtils.h>

#include <exception>

namespace quorvex {

OptionList::OptionList() : processor_('-', '=') {}

void OptionList::add(const char* shortName, const char* longName, const char* description,
                     Value& value)
{
    processor_.add(shortName, longName, description, &value);
    forms_.push_back(std::string("-") + shortName);
    forms_.push_back(std::string("--") + longName);
}

void OptionList::addLongOnly(std::initializer_list<std::pair<const char*, Value*>> options)
{
    for (const auto& option : options) {
        processor_.add("", option.first, option.first, option.second);
        forms_.push_back(std::string("--") + option.first);
    }
}

void OptionList::read(int argc, char* argv[])
{
    processor_.process(argc, argv);
}

void OptionList::warnAboutUnknown(const char* program, int argc, char* argv[]) const
{
    warnAboutUnknownArguments(program, argc, argv, forms_);
}

std::string OptionList::toString() const
{
    return processor_.toString();
}

int runMain(bool help, const std::string& helpText, const std::string& usage,
            const std::function<int(bool& showUsage)>& body)
{
    if (help) {
        print(helpText);
        return 0;
    }
    bool showUsage = true;
    try {
        return body(showUsage);
    } catch (const Interrupted& e) {
        print(kq::format("ERROR: %s\n", e.what()));
        return e.exitStatus();
    } catch (const std::exception& e) {
        print(kq::format("ERROR: %s\n", e.what()));
        if (showUsage) {
            print(usage);
        }
        return 1;
    }
}

}  // namespace quorvex
