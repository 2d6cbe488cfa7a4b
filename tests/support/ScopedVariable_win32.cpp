#include "support/ScopedVariable.h"

#include <windows.h>

#include <vector>

namespace kqtest {

bool readVariable(const std::string& name, std::string& value)
{
    const DWORD size = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (size == 0)
        return false;
    std::vector<char> buffer(size, '\0');
    ::GetEnvironmentVariableA(name.c_str(), buffer.data(), size);
    value = buffer.data();
    return true;
}

void writeVariable(const std::string& name, const std::string* value)
{
    ::SetEnvironmentVariableA(name.c_str(), value != nullptr ? value->c_str() : nullptr);
}

}  // namespace kqtest
