#include "support/ScopedVariable.h"

#include <cstdlib>

namespace kqtest {

void writeVariable(const std::string& name, const std::string* value)
{
    if (value != nullptr) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
}

}  // namespace kqtest
