#include "RegistrySandbox.h"

#include <windows.h>

namespace kqtest {

struct RegistrySandbox::Scope {
    explicit Scope(const std::string& base) : base_(base) {}
    ~Scope() { ::RegDeleteTreeA(HKEY_CURRENT_USER, base_.c_str()); }
    std::string base_;
};

RegistrySandbox::RegistrySandbox() : base_(uniqueKeyName()), scope_(new Scope(base_)) {}

RegistrySandbox::~RegistrySandbox() = default;

}  // namespace kqtest
