#include <kq/ProgramOptions.h>

#include <kq/detail/OptionsProcessorImpl.h>

#include <stdexcept>

namespace kq {
namespace ProgramOptions {

IOptionValue::~IOptionValue() = default;

OptionsProcessor::OptionsProcessor(char prefix, char assignment)
    : impl_(std::make_unique<OptionsProcessorImpl>(prefix, assignment))
{
}

OptionsProcessor::~OptionsProcessor() = default;

void OptionsProcessor::add(const std::string& shortName, const std::string& longName,
                           const std::string& description, IOptionValue* value)
{
    if (value == nullptr) {
        throw std::invalid_argument("OptionsProcessor::add: null value for option '" + shortName +
                                    "'/'" + longName + "'");
    }
    impl_->add(shortName, longName, description, value);
}

void OptionsProcessor::add(const std::string& name, const std::string& description,
                           IOptionValue* value)
{
    if (value == nullptr) {
        throw std::invalid_argument("OptionsProcessor::add: null value for option '" + name + "'");
    }
    impl_->add(name, std::string(), description, value);
}

int OptionsProcessor::process(int argc, char* argv[])
{
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        count += impl_->processArgument(argv[i]) ? 1 : 0;
    }
    return count;
}

int OptionsProcessor::process(const std::vector<std::string>& args)
{
    int count = 0;
    for (size_t i = 1; i < args.size(); ++i) {
        count += impl_->processArgument(args[i].c_str()) ? 1 : 0;
    }
    return count;
}

std::string OptionsProcessor::toString() const
{
    return "not implemented";
}

}  // namespace ProgramOptions
}  // namespace kq
