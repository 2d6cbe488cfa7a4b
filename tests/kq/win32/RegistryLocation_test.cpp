#include <kq/win32/registry.h>

#include "RegistrySandbox.h"
#include "support/ScopedVariable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kq::win32;

namespace {

// Without KQ_REGISTRY_DIR a user's keys live in the XDG configuration folder, readable by that
// user alone.
TEST(RegistryLocation, UserKeysLiveInTheConfigurationFolder)
{
#if defined(_WIN32)
    GTEST_SKIP() << "Windows keeps its registry itself";
#endif
    namespace fs = std::filesystem;
    const kqtest::TempDir home;
    const kqtest::ScopedVariable noOverride("KQ_REGISTRY_DIR");
    const kqtest::ScopedVariable config("XDG_CONFIG_HOME", (home.path() / "config").string());
    ASSERT_TRUE(registry(HKEY_CURRENT_USER).createAndOpen("Software\\kqtest", KEY_ALL_ACCESS));

    const fs::path folder = home.path() / "config" / "kqsystem";
    EXPECT_TRUE(fs::is_regular_file(folder / "HKEY_CURRENT_USER.db"));
    EXPECT_EQ(fs::perms::owner_all, fs::status(folder).permissions() & fs::perms::all);
}

// The user's and the machine's keys are apart; the other predefined roots have no store.
TEST(RegistryLocation, RootsAreApart)
{
#if defined(_WIN32)
    GTEST_SKIP() << "Windows keeps every predefined root";
#endif
    const kqtest::RegistrySandbox sandbox;
    ASSERT_TRUE(registry(HKEY_CURRENT_USER).createAndOpen(sandbox.key("any"), KEY_ALL_ACCESS));
    EXPECT_FALSE(registry(HKEY_LOCAL_MACHINE).open(sandbox.key("any"), KEY_READ));
    for (const HKEY root : {HKEY_CLASSES_ROOT, HKEY_USERS, HKEY_CURRENT_CONFIG}) {
        EXPECT_FALSE(registry(root).createAndOpen(sandbox.key("any"), KEY_ALL_ACCESS));
    }
}

}  // namespace
