#include "support/ScopedVariable.h"

#include <kq/Environment.h>

namespace kqtest {

ScopedVariable::ScopedVariable(const std::string& name) : ScopedVariable(name, nullptr) {}

ScopedVariable::ScopedVariable(const std::string& name, const std::string& value)
    : ScopedVariable(name, &value)
{
}

ScopedVariable::ScopedVariable(const std::string& name, const std::string* value)
    : name_(name), hadValue_(kq::environment::has(name)), oldValue_(kq::environment::get(name, ""))
{
    writeVariable(name_, value);
}

ScopedVariable::~ScopedVariable()
{
    writeVariable(name_, hadValue_ ? &oldValue_ : nullptr);
}

}  // namespace kqtest
