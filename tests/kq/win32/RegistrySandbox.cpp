#include "RegistrySandbox.h"

#include <kq/win32/detail/RegistryStore.h>

#include <gtest/gtest.h>

#include <random>

namespace kqtest {

using namespace kq::win32;

std::string uniqueKeyName()
{
    std::random_device random;
    return "Software\\kqtest-" + std::to_string(random()) + "-" + std::to_string(random());
}

// Straight to the store, below registry: registry itself writes only REG_SZ and REG_DWORD.
void RegistrySandbox::plant(const std::string& name, const std::string& valueName,
                            unsigned long type, const std::string& bytes) const
{
    HKEY key = nullptr;
    ASSERT_EQ(0, detail::createKey(HKEY_CURRENT_USER, this->key(name), KEY_ALL_ACCESS, key));
    EXPECT_EQ(0, detail::setValue(key, valueName, type,
                                  reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<unsigned long>(bytes.size())));
    detail::closeKey(key);
}

}  // namespace kqtest
