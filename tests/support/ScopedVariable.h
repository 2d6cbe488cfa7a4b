#pragma once

#include <string>

namespace kqtest {

// Sets (or, without a value, removes) an environment variable of this process for the
// object's life, then puts back what was there before.
class ScopedVariable {
public:
    explicit ScopedVariable(const std::string& name);
    ScopedVariable(const std::string& name, const std::string& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    std::string name_;
    bool hadValue_;
    std::string oldValue_;
};

// Per platform: the process's own copy of the variable, as the library reads it.
bool readVariable(const std::string& name, std::string& value);
void writeVariable(const std::string& name, const std::string* value);

}  // namespace kqtest
