#include <kq/win32/registry.h>

#include "RegistrySandbox.h"

#include <gtest/gtest.h>

using namespace kq::win32;

namespace {

const unsigned long NoNumber = 7;
const std::string NoText = "x";

class Registry : public ::testing::Test {
protected:
    // An open key of the sandbox, created when missing.
    registry key(const std::string& name, unsigned long access = KEY_ALL_ACCESS) const
    {
        registry r(HKEY_CURRENT_USER, sandbox_.base());
        EXPECT_TRUE(r.createAndOpen(name, access)) << name;
        return r;
    }

    // Whether handle still names an open key: a key opened relative to it with no further path
    // is a new handle of its own, so the question leaves the handle's ownership alone.
    static bool stillOpen(HKEY handle) { return registry(handle).open("", KEY_READ); }

    kqtest::RegistrySandbox sandbox_;
};

TEST_F(Registry, KeyNameJoinsBasePathAndNameWithOneBackslash)
{
    registry created(HKEY_CURRENT_USER, sandbox_.key("Example"));
    ASSERT_TRUE(created.createAndOpen("Settings", KEY_ALL_ACCESS));
    EXPECT_EQ(sandbox_.key("Example") + "\\Settings", created.keyName());
    created.setStringValue("where", "here");

    registry opened(HKEY_CURRENT_USER);
    ASSERT_TRUE(opened.open(sandbox_.key("Example\\Settings"), KEY_READ));
    EXPECT_EQ(sandbox_.key("Example\\Settings"), opened.keyName());
    EXPECT_EQ("here", opened.queryStringValue("where", NoText));
}

TEST_F(Registry, OpenFindsOnlyExistingKeysAndCreateMakesThePath)
{
    registry r(HKEY_CURRENT_USER, sandbox_.base());
    EXPECT_FALSE(r.open("a\\b\\c", KEY_READ));
    EXPECT_EQ(nullptr, r.keyHandle());
    EXPECT_EQ(sandbox_.key("a\\b\\c"), r.keyName());
    EXPECT_TRUE(r.createAndOpen("a\\b\\c", KEY_ALL_ACCESS));
    EXPECT_NE(nullptr, r.keyHandle());
    EXPECT_TRUE(r.open("A\\B", KEY_READ)) << "key names compare case-insensitively";
}

TEST_F(Registry, PathMayEndButNotBeginWithABackslash)
{
    registry r(HKEY_CURRENT_USER);
    EXPECT_FALSE(r.createAndOpen("\\" + sandbox_.key("leading"), KEY_ALL_ACCESS));
    EXPECT_TRUE(r.createAndOpen(sandbox_.key("trailing\\"), KEY_ALL_ACCESS));
    EXPECT_TRUE(r.open(sandbox_.key("trailing"), KEY_READ));
}

TEST_F(Registry, ObjectWithoutRootOrKeyFailsQuietly)
{
    registry r;
    EXPECT_FALSE(r.open("Software", KEY_READ));
    EXPECT_EQ("Software", r.keyName());
    r.flush();
    r.close();
    r.setDWORDValue("n", 1);
    r.deleteValue("n");
    EXPECT_EQ(NoNumber, r.queryDWORDValue("n", NoNumber));
    EXPECT_EQ(NoText, r.queryStringValue("n", NoText));
}

TEST_F(Registry, WrittenValuesReadBack)
{
    const registry r = key("values");
    for (const unsigned long number : {0ul, 1ul, 0x12345678ul, 0xFFFFFFFFul}) {
        r.setDWORDValue("number", number);
        EXPECT_EQ(number, r.queryDWORDValue("number", NoNumber));
    }
    for (const std::string& text : {std::string(), std::string("text"), std::string(3000, 't')}) {
        r.setStringValue("text", text);
        EXPECT_EQ(text, r.queryStringValue("text", NoText));
    }
    r.setStringValue("Mixed", "case");
    EXPECT_EQ("case", r.queryStringValue("MIXED", NoText)) << "names compare case-insensitively";
    r.deleteValue("mixed");
    EXPECT_EQ(NoText, r.queryStringValue("Mixed", NoText));
}

TEST_F(Registry, KeyWithoutWriteAccessRefusesWrites)
{
    key("guarded").setStringValue("kept", "before");
    const registry readOnly = key("guarded", KEY_READ);
    readOnly.setStringValue("kept", "after");
    readOnly.setDWORDValue("added", 1);
    readOnly.deleteValue("kept");
    EXPECT_EQ("before", readOnly.queryStringValue("kept", NoText));
    EXPECT_EQ(NoNumber, readOnly.queryDWORDValue("added", NoNumber));
}

// What the two queries make of values of every type and length.
struct Stored {
    const char* name;
    unsigned long type;
    std::string bytes;
    unsigned long number;
    std::string text;
};

TEST_F(Registry, QueriesFollowTypeAndLength)
{
    using std::string;
    const Stored table[] = {
        {"dword", REG_DWORD, string("\x78\x56\x34\x12", 4), 0x12345678, NoText},
        {"two bytes", REG_SZ, string("A\0", 2), 0x41, "A"},
        {"empty string", REG_SZ, "", 0, ""},
        {"longer than 4", REG_SZ, string("hello\0", 6), NoNumber, "hello"},
        {"no terminator", REG_SZ, "abc", 0x636261, "abc"},
        {"inner NUL", REG_SZ, string("ab\0cd\0", 6), NoNumber, "ab"},
        {"expand", REG_EXPAND_SZ, string("%PATH%\0", 7), NoNumber, "%PATH%"},
        {"binary", REG_BINARY, "\x01\x02\x03", 0x030201, NoText},
        {"long binary", REG_BINARY, "\x01\x02\x03\x04\x05", NoNumber, NoText},
    };
    for (const auto& row : table) {
        sandbox_.plant("typed", row.name, row.type, row.bytes);
    }
    const registry r = key("typed", KEY_READ);
    for (const auto& row : table) {
        EXPECT_EQ(row.number, r.queryDWORDValue(row.name, NoNumber)) << row.name;
        EXPECT_EQ(row.text, r.queryStringValue(row.name, NoText)) << row.name;
    }
    EXPECT_EQ(NoNumber, r.queryDWORDValue("missing", NoNumber));
    EXPECT_EQ(NoText, r.queryStringValue("missing", NoText));
}

// Copies share the key, which stays open until the last of them lets go.
TEST_F(Registry, CopiesShareTheKeyUntilTheLastLetsGo)
{
    registry original = key("shared");
    original.setStringValue("value", "here");
    const HKEY handle = original.keyHandle();
    registry copy(original);
    registry assigned = key("other");
    assigned = copy;
    EXPECT_EQ(handle, assigned.keyHandle());

    original.close();
    copy.close();
    EXPECT_EQ("here", assigned.queryStringValue("value", NoText));
    EXPECT_TRUE(stillOpen(handle));
    assigned = registry();
    EXPECT_FALSE(stillOpen(handle));
}

TEST_F(Registry, ReopeningReleasesTheKeyHeldBefore)
{
    registry r = key("first");
    const HKEY first = r.keyHandle();
    ASSERT_TRUE(r.createAndOpen("second", KEY_ALL_ACCESS));
    EXPECT_FALSE(stillOpen(first));
    EXPECT_FALSE(r.open("missing", KEY_READ));
    EXPECT_EQ(nullptr, r.keyHandle());
}

}  // namespace
