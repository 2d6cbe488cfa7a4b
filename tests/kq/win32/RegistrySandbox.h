#pragma once

#include <kq/win32/registry.h>

// The registry's predefined roots and masks: macros of windows.h on Windows.
#if defined(_WIN32)
#  include <windows.h>
#endif

#include <memory>
#include <string>

namespace kqtest {

// "Software\kqtest-<random>": a key path that no other test run uses.
std::string uniqueKeyName();

// A place in the registry of this test run only. Linux: KQ_REGISTRY_DIR names a fresh temporary
// folder, removed afterwards. Windows: a key below HKEY_CURRENT_USER\Software of a name unique to
// the run, deleted with everything below it afterwards.
class RegistrySandbox {
public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // The sandbox's key below HKEY_CURRENT_USER, "Software\kqtest-<unique>".
    const std::string& base() const { return base_; }
    // base()\name
    std::string key(const std::string& name) const { return base_ + '\\' + name; }

    // Writes a value of any type with exactly these bytes into key(name), creating the key.
    void plant(const std::string& name, const std::string& valueName, unsigned long type,
               const std::string& bytes) const;

private:
    // Per platform: what the sandbox holds, and removes when it goes.
    struct Scope;

    std::string base_;
    std::unique_ptr<Scope> scope_;
};

}  // namespace kqtest
