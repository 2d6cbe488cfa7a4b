#pragma once

#include <kq/ProgramOptions.h>

#include <string>
#include <vector>

namespace kq {
namespace ProgramOptions {

struct OptionEntry {
    std::string shortForm;  // prefix included, or empty
    std::string longForm;   // prefix and an extra '-' included, or empty
    std::string description;
    IOptionValue* value;
};

class OptionsProcessorImpl {
public:
    OptionsProcessorImpl(char prefix, char assignment);

    void add(const std::string& shortName, const std::string& longName,
             const std::string& description, IOptionValue* value);
    // Whether the argument named an option whose value object accepted its text.
    bool processArgument(const char* argument);

private:
    OptionEntry* find(const std::string& name);

    std::string prefix_;
    std::string assignment_;
    std::vector<OptionEntry> options_;
};

}  // namespace ProgramOptions
}  // namespace kq
