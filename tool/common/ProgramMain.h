#pragma once

#include <kq/ProgramOptions.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace quorvex {

// A program's options, every value a string, read from its command line.
class OptionList {
public:
    using Value = kq::ProgramOptions::StringOptionValue;

    OptionList();
    // An option with a short and a long name.
    void add(const char* shortName, const char* longName, const char* description, Value& value);
    // Options with a long name only, which the program's help text describes.
    void addLongOnly(std::initializer_list<std::pair<const char*, Value*>> options);
    // Reads the arguments after the program's name into the values.
    void read(int argc, char* argv[]);
    // Warns on standard error about each argument that names none of the options.
    void warnAboutUnknown(const char* program, int argc, char* argv[]) const;
    // The options as the processor lists them.
    std::string toString() const;

private:
    kq::ProgramOptions::OptionsProcessor processor_;
    std::vector<std::string> forms_;
};

// The end of a program's main once its options are read. With help set, prints
// helpText and returns 0. Otherwise runs body and returns its exit status; an
// exception is printed as "ERROR: ..." and ends with status 1, or with its own
// status for an interrupt. While body has not yet cleared the flag it is given,
// its input is still being checked: an error then is followed by usage.
int runMain(bool help, const std::string& helpText, const std::string& usage,
            const std::function<int(bool& showUsage)>& body);

}  // namespace quorvex
