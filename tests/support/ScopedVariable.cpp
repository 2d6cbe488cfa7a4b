#include "support/ScopedVariable.h"

namespace kqtest {

ScopedVariable::ScopedVariable(const std::string& name)
    : name_(name), hadValue_(readVariable(name, oldValue_))
{
    writeVariable(name_, nullptr);
}

ScopedVariable::ScopedVariable(const std::string& name, const std::string& value)
    : name_(name), hadValue_(readVariable(name, oldValue_))
{
    writeVariable(name_, &value);
}

ScopedVariable::~ScopedVariable()
{
    writeVariable(name_, hadValue_ ? &oldValue_ : nullptr);
}

}  // namespace kqtest
