#include <kq/win32/registry.h>

#include "RegistrySandbox.h"
#include "support/Process.h"
#include "support/ScopedVariable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

using namespace kq::win32;
namespace fs = std::filesystem;

namespace {

const char* const ReadOnlyKeyVariable = "KQTEST_REGISTRY_READONLY_KEY";
// Who owns the database when the test runs as root, whom permission bits do not stop.
const uid_t Unprivileged = 65534;

mode_t modeOf(const fs::path& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 07777;
}

// Each missing folder and the database files are the user's alone, whatever the umask (SQLite
// gives its journal files the database file's mode).
TEST(RegistryFileAccess, WhatTheStoreCreatesIsTheUsersAlone)
{
    for (const mode_t mask : {0022, 0277}) {
        const kqtest::TempDir temp;
        const fs::path folder = temp.path() / "missing" / "registry";
        const kqtest::ScopedVariable location("KQ_REGISTRY_DIR", folder.string());
        const mode_t old = ::umask(mask);
        for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            EXPECT_TRUE(registry(root).createAndOpen("Software\\kqtest", KEY_ALL_ACCESS));
        }
        ::umask(old);
        EXPECT_EQ(0700u, modeOf(temp.path() / "missing")) << "umask " << std::oct << mask;
        EXPECT_EQ(0700u, modeOf(folder)) << "umask " << std::oct << mask;
        for (const char* file : {"HKEY_CURRENT_USER.db", "HKEY_LOCAL_MACHINE.db"}) {
            EXPECT_EQ(0600u, modeOf(folder / file)) << file << " umask " << std::oct << mask;
        }
    }
}

// The child: as the owner of the read-only database, which root is not.
TEST(RegistryReadOnlyChild, ReadsButNeverWrites)
{
    const char* const name = std::getenv(ReadOnlyKeyVariable);
    if (name == nullptr) {
        GTEST_SKIP() << "child mode of RegistryFileAccess only";
    }
    if (::geteuid() == 0) {
        ASSERT_TRUE(::setgroups(0, nullptr) == 0 && ::setgid(Unprivileged) == 0 &&
                    ::setuid(Unprivileged) == 0);
    }
    const std::string kept = name;
    const struct {
        bool create;
        std::string name;
        unsigned long access;
        bool opens;
    } cases[] = {
        {false, kept, KEY_READ, true},        {true, kept, KEY_READ, true},
        {false, kept, KEY_ALL_ACCESS, false}, {true, kept, KEY_ALL_ACCESS, false},
        {false, kept, KEY_SET_VALUE, false},  {true, kept + "\\missing", KEY_READ, false},
    };
    for (const auto& c : cases) {
        registry key(HKEY_CURRENT_USER);
        const bool opened =
            c.create ? key.createAndOpen(c.name, c.access) : key.open(c.name, c.access);
        EXPECT_EQ(c.opens, opened) << c.create << ' ' << c.name << ' ' << std::hex << c.access;
        EXPECT_EQ(c.opens ? "kept" : "", key.queryStringValue("name", ""));
    }
}

// A database its user may not change (file, folder or both) opens keys for reading, also
// through createAndOpen, and refuses any access that would write, as Windows does.
TEST(RegistryFileAccess, ADatabaseTheUserMayNotChangeOpensForReadingOnly)
{
    const mode_t setups[][2] = {{0500, 0400}, {0700, 0400}, {0500, 0600}};  // folder, file
    for (const auto& modes : setups) {
        const kqtest::RegistrySandbox sandbox;
        registry writer(HKEY_CURRENT_USER);
        ASSERT_TRUE(writer.createAndOpen(sandbox.key("kept"), KEY_ALL_ACCESS));
        writer.setStringValue("name", "kept");
        writer.close();

        const fs::path folder = std::getenv("KQ_REGISTRY_DIR");
        const fs::path file = folder / "HKEY_CURRENT_USER.db";
        for (const fs::path& path : {folder, file}) {
            EXPECT_TRUE(::geteuid() != 0 || ::chown(path.c_str(), Unprivileged, Unprivileged) == 0);
        }
        EXPECT_EQ(0, ::chmod(file.c_str(), modes[1]));
        EXPECT_EQ(0, ::chmod(folder.c_str(), modes[0]));
        kqtest::Process child(kqtest::programPath("win32_tests"),
                              {"--gtest_filter=RegistryReadOnlyChild.*"},
                              {std::string(ReadOnlyKeyVariable) + "=" + sandbox.key("kept")});
        EXPECT_EQ(0, child.wait(std::chrono::seconds(60)))
            << std::oct << modes[0] << ' ' << modes[1] << '\n'
            << child.out() << child.err();
        ::chmod(folder.c_str(), 0700);  // so that the sandbox can go
    }
}

}  // namespace
