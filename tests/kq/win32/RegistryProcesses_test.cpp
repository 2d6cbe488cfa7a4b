#include <kq/win32/registry.h>

#include "RegistrySandbox.h"
#include "support/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace kq::win32;

namespace {

const char* const ChildKeyVariable = "KQTEST_REGISTRY_CHILD_KEY";
const char* const ChildIdVariable = "KQTEST_REGISTRY_CHILD_ID";
// How many values the child writes; 0 writes until it is killed.
const char* const ChildCountVariable = "KQTEST_REGISTRY_CHILD_COUNT";
const std::chrono::seconds Patience(60);

std::string valueName(const std::string& writer, int i)
{
    return writer + "-" + std::to_string(i);
}

// Long enough that a write spans several database pages.
std::string valueText(const std::string& writer, int i)
{
    return valueName(writer, i) + std::string(20000, static_cast<char>('a' + i % 26));
}

std::unique_ptr<kqtest::Process> writer(const std::string& key, const std::string& id, int count)
{
    return std::make_unique<kqtest::Process>(
        kqtest::programPath("win32_tests"),
        std::vector<std::string>{"--gtest_filter=RegistryChild.*"},
        std::vector<std::string>{std::string(ChildKeyVariable) + "=" + key,
                                 std::string(ChildIdVariable) + "=" + id,
                                 std::string(ChildCountVariable) + "=" + std::to_string(count)});
}

// The values of writer 0 .. count-1 that are missing or wrong.
int damaged(const registry& key, const std::string& writer, int count)
{
    int bad = 0;
    for (int i = 0; i < count; ++i) {
        bad += key.queryStringValue(valueName(writer, i), "") != valueText(writer, i);
    }
    return bad;
}

TEST(RegistryChild, WritesValues)
{
    const char* key = std::getenv(ChildKeyVariable);
    if (key == nullptr) {
        GTEST_SKIP() << "child mode of RegistryProcesses only";
    }
    const std::string id = std::getenv(ChildIdVariable);
    const int count = std::atoi(std::getenv(ChildCountVariable));
    registry r(HKEY_CURRENT_USER);
    ASSERT_TRUE(r.createAndOpen(key, KEY_ALL_ACCESS));
    for (int i = 0; count == 0 || i < count; ++i) {
        r.setStringValue(valueName(id, i), valueText(id, i));
        std::printf("committed %d\n", i);
        std::fflush(stdout);
    }
}

TEST(RegistryProcesses, TwoWritersOfOneKeyBothKeepEverything)
{
#if defined(_WIN32)
    GTEST_SKIP() << "concurrent writers are the Windows registry's own business";
#endif
    kqtest::RegistrySandbox sandbox;
    const int count = 60;
    auto first = writer(sandbox.key("shared"), "p1", count);
    auto second = writer(sandbox.key("shared"), "p2", count);
    ASSERT_EQ(0, first->wait(Patience)) << first->out() << first->err();
    ASSERT_EQ(0, second->wait(Patience)) << second->out() << second->err();

    registry key(HKEY_CURRENT_USER);
    ASSERT_TRUE(key.open(sandbox.key("shared"), KEY_READ));
    EXPECT_EQ(0, damaged(key, "p1", count));
    EXPECT_EQ(0, damaged(key, "p2", count));
}

TEST(RegistryProcesses, WriterKilledMidRunLosesNothingCommitted)
{
#if defined(_WIN32)
    GTEST_SKIP() << "a killed writer is the Windows registry's own business";
#endif
    kqtest::RegistrySandbox sandbox;
    auto child = writer(sandbox.key("killed"), "k", 0);
    int committed = 0;
    std::string line;
    while (committed < 40 && child->readLine(line, Patience)) {
        committed = std::atoi(line.c_str() + line.find(' ')) + 1;
    }
    ASSERT_EQ(40, committed) << child->err();
    child.reset();  // SIGKILL, most likely in the middle of the next write

    registry key(HKEY_CURRENT_USER);
    ASSERT_TRUE(key.open(sandbox.key("killed"), KEY_ALL_ACCESS));
    EXPECT_EQ(0, damaged(key, "k", committed));
    key.setStringValue("after", "the kill");
    EXPECT_EQ("the kill", key.queryStringValue("after", ""));
}

}  // namespace
