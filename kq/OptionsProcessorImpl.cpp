#include <kq/detail/OptionsProcessorImpl.h>

namespace kq {
namespace ProgramOptions {

OptionsProcessorImpl::OptionsProcessorImpl(char prefix, char assignment)
    : prefix_(1, prefix), assignment_(1, assignment)
{
}

void OptionsProcessorImpl::add(const std::string& shortName, const std::string& longName,
                               const std::string& description, IOptionValue* value)
{
    // The long form always doubles with a literal '-', whatever the prefix is.
    std::string shortForm = shortName.empty() ? std::string() : prefix_ + shortName;
    std::string longForm = longName.empty() ? std::string() : prefix_ + "-" + longName;
    options_.push_back(OptionEntry{shortForm, longForm, description, value});
}

bool OptionsProcessorImpl::processArgument(const char* argument)
{
    const std::string text(argument);
    const size_t at = text.find(assignment_);
    const std::string name = text.substr(0, at);
    const std::string valueText = at == std::string::npos ? std::string() : text.substr(at + 1);

    OptionEntry* entry = find(name);
    return entry != nullptr && entry->value->setValue(valueText);
}

OptionEntry* OptionsProcessorImpl::find(const std::string& name)
{
    for (OptionEntry& entry : options_) {
        if (entry.shortForm == name || entry.longForm == name) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace ProgramOptions
}  // namespace kq
