#include "support/ScopedVariable.h"

#include <cstdlib>

namespace kqtest {

bool readVariable(const std::string& name, std::string& value)
{
    const char* text = std::getenv(name.c_str());
    if (text != nullptr)
        value = text;
    return text != nullptr;
}

void writeVariable(const std::string& name, const std::string* value)
{
    if (value != nullptr)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
}

}  // namespace kqtest
