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
    ScopedVariable(const std::string& name, const std::string* value);

    std::string name_;
    bool hadValue_;
    std::string oldValue_;
};

// Per platform: sets name to *value, or removes it when value is null.
void writeVariable(const std::string& name, const std::string* value);

}  // namespace kqtest
