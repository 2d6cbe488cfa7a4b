#include "RegistrySandbox.h"

#include "support/ScopedVariable.h"
#include "support/TempDir.h"

namespace kqtest {

struct RegistrySandbox::Scope {
    TempDir folder;
    ScopedVariable variable{"KQ_REGISTRY_DIR", folder.path().string()};
};

RegistrySandbox::RegistrySandbox() : base_(uniqueKeyName()), scope_(new Scope) {}

RegistrySandbox::~RegistrySandbox() = default;

}  // namespace kqtest
