#include <kq/win32/registry.h>

#include "RegistrySandbox.h"
#include "support/Process.h"
#include "support/ScopedVariable.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

using namespace kq::win32;
namespace fs = std::filesystem;

namespace {

const char* const ReadOnlyKeyVariable = "KQTEST_REGISTRY_READONLY_KEY";
// Whom a test running as root hands the database to: permission bits do not stop root.
const uid_t Unprivileged = 65534;

mode_t modeOf(const fs::path& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 07777;
}

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }

private:
    mode_t old_;
};

// The mode the journal gets while a write is under way, from a connection of the test's own.
mode_t journalModeDuringWrite(const fs::path& database)
{
    sqlite3* connection = nullptr;
    mode_t mode = 07777;
    if (sqlite3_open(database.c_str(), &connection) == SQLITE_OK &&
        sqlite3_exec(connection, "BEGIN; CREATE TABLE t (x);", nullptr, nullptr, nullptr) ==
            SQLITE_OK)
        mode = modeOf(database.string() + "-journal");
    sqlite3_close(connection);
    return mode;
}

// Folders the store creates, each missing level, and its database files are the user's alone,
// whatever the umask.
TEST(RegistryFileAccess, WhatTheStoreCreatesIsTheUsersAlone)
{
    for (const mode_t mask : {0022, 0000, 0277}) {
        SCOPED_TRACE(testing::Message() << "umask " << std::oct << mask);
        const kqtest::TempDir temp;
        const fs::path folder = temp.path() / "missing" / "registry";
        const kqtest::ScopedVariable location("KQ_REGISTRY_DIR", folder.string());
        const ScopedUmask umask(mask);
        for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            registry key(root);
            ASSERT_TRUE(key.createAndOpen("Software\\kqtest", KEY_ALL_ACCESS));
            key.setStringValue("name", "value");
            EXPECT_EQ("value", key.queryStringValue("name", ""));
        }
        EXPECT_EQ(0700u, modeOf(temp.path() / "missing"));
        EXPECT_EQ(0700u, modeOf(folder));
        for (const char* file : {"HKEY_CURRENT_USER.db", "HKEY_LOCAL_MACHINE.db"})
            EXPECT_EQ(0600u, modeOf(folder / file)) << file;
        EXPECT_EQ(0600u, journalModeDuringWrite(folder / "HKEY_CURRENT_USER.db"));
    }
}

// The child: as the owner of the read-only database, which a test running as root is not.
TEST(RegistryReadOnlyChild, ReadsButNeverWrites)
{
    const char* const name = std::getenv(ReadOnlyKeyVariable);
    if (name == nullptr)
        GTEST_SKIP() << "child mode of RegistryFileAccess only";
    if (::geteuid() == 0) {
        ASSERT_EQ(0, ::setgroups(0, nullptr));
        ASSERT_EQ(0, ::setgid(Unprivileged));
        ASSERT_EQ(0, ::setuid(Unprivileged));
        // LeakSanitizer's tracer needs the process dumpable, which a change of user clears.
        ::prctl(PR_SET_DUMPABLE, 1);
    }
    const std::string existing = name;
    struct Case {
        bool create;
        std::string name;
        unsigned long access;
        bool opens;
    } const cases[] = {
        {false, existing, KEY_READ, true},        {true, existing, KEY_READ, true},
        {false, existing, KEY_ALL_ACCESS, false}, {true, existing, KEY_ALL_ACCESS, false},
        {false, existing, KEY_WRITE, false},      {true, existing + "\\missing", KEY_READ, false},
        {false, existing, KEY_SET_VALUE, false},
    };
    for (const Case& c : cases) {
        registry key(HKEY_CURRENT_USER);
        const bool opened =
            c.create ? key.createAndOpen(c.name, c.access) : key.open(c.name, c.access);
        EXPECT_EQ(c.opens, opened) << (c.create ? "createAndOpen " : "open ") << c.name
                                   << " access " << std::hex << c.access;
        if (opened) {
            EXPECT_EQ("kept", key.queryStringValue("name", ""));
        }
    }
}

// Makes the sandbox's database read-only for its owner (handed to an unprivileged user when
// running as root), and writable again afterwards so that the sandbox can go.
class ReadOnly {
public:
    ReadOnly(const fs::path& folder, mode_t folderMode, mode_t fileMode)
        : folder_(folder), file_(folder / "HKEY_CURRENT_USER.db")
    {
        if (::geteuid() == 0) {
            EXPECT_EQ(0, ::chown(folder_.c_str(), Unprivileged, Unprivileged));
            EXPECT_EQ(0, ::chown(file_.c_str(), Unprivileged, Unprivileged));
        }
        EXPECT_EQ(0, ::chmod(file_.c_str(), fileMode));
        EXPECT_EQ(0, ::chmod(folder_.c_str(), folderMode));
    }
    ~ReadOnly()
    {
        ::chmod(folder_.c_str(), 0700);
        ::chmod(file_.c_str(), 0600);
    }

private:
    fs::path folder_;
    fs::path file_;
};

// A database its user may not change opens keys for reading, also through createAndOpen, and
// refuses any access that would write, as Windows does.
TEST(RegistryFileAccess, ADatabaseTheUserMayNotChangeOpensForReadingOnly)
{
    struct Setup {
        const char* what;
        mode_t folder;
        mode_t file;
    } const setups[] = {
        {"file and folder read-only", 0500, 0400},
        {"file read-only", 0700, 0400},
        {"folder read-only", 0500, 0600},
    };
    for (const Setup& setup : setups) {
        SCOPED_TRACE(setup.what);
        const kqtest::RegistrySandbox sandbox;
        registry writer(HKEY_CURRENT_USER);
        ASSERT_TRUE(writer.createAndOpen(sandbox.key("kept"), KEY_ALL_ACCESS));
        writer.setStringValue("name", "kept");
        writer.close();

        const ReadOnly readOnly(std::getenv("KQ_REGISTRY_DIR"), setup.folder, setup.file);
        kqtest::Process child(kqtest::programPath("win32_tests"),
                              {"--gtest_filter=RegistryReadOnlyChild.*"},
                              {std::string(ReadOnlyKeyVariable) + "=" + sandbox.key("kept")});
        EXPECT_EQ(0, child.wait(std::chrono::seconds(60))) << child.out() << child.err();
    }
}

}  // namespace
