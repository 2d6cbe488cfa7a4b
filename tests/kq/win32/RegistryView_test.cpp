#include <kq/win32/IsWow64.h>
#include <kq/win32/registry.h>

#include "RegistrySandbox.h"

#include <gtest/gtest.h>

namespace {

#if defined(_WIN32) && !defined(_WIN64)
bool existsInView(const std::string& name, REGSAM view)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, name.c_str(), 0, KEY_READ | view, &key) != 0) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

void deleteInView(const std::string& name, REGSAM view)
{
    HKEY software = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS | view, &software) != 0) {
        return;
    }
    ::RegDeleteTreeA(software, name.substr(name.find('\\') + 1).c_str());
    ::RegCloseKey(software);
}
#endif

// HKEY_LOCAL_MACHINE\Software is the branch that WOW64 gives 32-bit programs a view of their own.
TEST(RegistryView, Wow64ProcessWorksInThe64BitView)
{
#if defined(_WIN64)
    GTEST_SKIP() << "a 64-bit Windows process has only the 64-bit registry view";
#elif !defined(_WIN32)
    GTEST_SKIP() << "Linux has no registry views";
#else
    if (!kq::win32::IsWow64()) {
        GTEST_SKIP() << "32-bit Windows has only one registry view";
    }
    const std::string name = kqtest::uniqueKeyName();
    const bool created =
        kq::win32::registry(HKEY_LOCAL_MACHINE).createAndOpen(name, KEY_ALL_ACCESS);
    const bool in64 = existsInView(name, KEY_WOW64_64KEY);
    const bool in32 = existsInView(name, KEY_WOW64_32KEY);
    deleteInView(name, KEY_WOW64_64KEY);
    deleteInView(name, KEY_WOW64_32KEY);
    EXPECT_TRUE(created);
    EXPECT_TRUE(in64);
    EXPECT_FALSE(in32);
#endif
}

}  // namespace
