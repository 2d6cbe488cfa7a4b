#include "support/ScopedVariable.h"

#include <windows.h>

namespace kqtest {

void writeVariable(const std::string& name, const std::string* value)
{
    ::SetEnvironmentVariableA(name.c_str(), value != nullptr ? value->c_str() : nullptr);
}

}  // namespace kqtest
