#include "IpcTest.h"

#include <kq/ipc/SharedMemory.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

using kq::ipc::SharedMemory;

namespace {

bool zeroFilled(const SharedMemory& memory)
{
    const unsigned char* begin = kqtest::bytes(memory);
    const unsigned char* end = static_cast<const unsigned char*>(memory.end());
    return std::all_of(begin, end, [](unsigned char b) { return b == 0; });
}

TEST(SharedMemory, TwoHandlesOfOneNameShareTheBytes)
{
    const std::string name = kqtest::uniqueName("shared");
    SharedMemory first(name, 100);
    ASSERT_TRUE(first.isCreated());
    EXPECT_EQ(100, static_cast<unsigned char*>(first.end()) - kqtest::bytes(first));
    EXPECT_TRUE(zeroFilled(first));
    kqtest::setWordAt(first, 96, 0x01020304);

    SharedMemory second(name, 100);
    EXPECT_FALSE(second.isCreated());
    EXPECT_EQ(0x01020304u, kqtest::wordAt(second, 96));
    kqtest::setWordAt(second, 0, 42);
    EXPECT_EQ(42u, kqtest::wordAt(first, 0));
}

TEST(SharedMemory, TheLastCloserFreesTheName)
{
    const std::string name = kqtest::uniqueName("reused");
    {
        SharedMemory memory(name, 64);
        kqtest::setWordAt(memory, 0, 7);
    }
    SharedMemory again(name, 64);
    EXPECT_TRUE(again.isCreated());
    EXPECT_TRUE(zeroFilled(again));
}

TEST(SharedMemory, AHolderKilledLeavesNoStaleBlock)
{
    const std::string name = kqtest::uniqueName("killed");
    auto child = kqtest::startChild("hold-memory", name);
    kqtest::expectLine(*child, "created=1");
    {
        SharedMemory seen(name, 64);
        EXPECT_FALSE(seen.isCreated());
        EXPECT_EQ(0xC0FFEEu, kqtest::wordAt(seen, 0));
    }
    child.reset();  // killed, not closed

    SharedMemory fresh(name, 64);
    EXPECT_TRUE(fresh.isCreated());
    EXPECT_TRUE(zeroFilled(fresh));
}

TEST(SharedMemory, ExactlyOneOfRacingCreatorsCreates)
{
    const std::string name = kqtest::uniqueName("race");
    SharedMemory gate(name + "_gate", 4);
    std::vector<std::unique_ptr<kqtest::Process>> children;
    for (int i = 0; i < 4; ++i) {
        children.push_back(kqtest::startChild("race-memory", name));
    }
    for (auto& child : children) {
        kqtest::expectLine(*child, "ready");
    }
    kqtest::setWordAt(gate, 0, 1);
    int created = 0;
    for (auto& child : children) {
        std::string line;
        ASSERT_TRUE(kqtest::readReport(*child, line, std::chrono::seconds(30))) << child->err();
        created += line == "created=1";
    }
    EXPECT_EQ(1, created);
    {
        SharedMemory raced(name, 64);
        EXPECT_FALSE(raced.isCreated());
        EXPECT_EQ(4u, kqtest::wordAt(raced, 0));
    }
    kqtest::setWordAt(gate, 0, 2);
    for (auto& child : children) {
        EXPECT_EQ(0, child->wait(std::chrono::seconds(30))) << child->err();
    }
}

TEST(SharedMemory, AnExistingSmallerBlockIsRefused)
{
    const std::string name = kqtest::uniqueName("small");
    SharedMemory small(name, 4096);
    EXPECT_THROW(SharedMemory(name, 8192), std::runtime_error);
    EXPECT_NO_THROW(SharedMemory(name, 1024));
}

// Characters a POSIX name cannot hold are escaped, and escaping never merges names.
TEST(SharedMemory, NamesDifferingInEscapedCharactersNeverMeet)
{
    const std::string base = kqtest::uniqueName("");
    std::vector<std::unique_ptr<SharedMemory>> held;
    for (const std::string suffix : {"a/b", "a%2Fb", "a%b", "a%252Fb"}) {
        held.push_back(std::make_unique<SharedMemory>(base + suffix, 16));
        EXPECT_TRUE(held.back()->isCreated()) << suffix;
    }
}

TEST(SharedMemory, ANameTooLongForTheSystemIsRefused)
{
#if defined(_WIN32)
    GTEST_SKIP() << "the limit is the POSIX name length";
#else
    EXPECT_THROW(SharedMemory(kqtest::uniqueName(std::string(250, 'x')), 16), std::runtime_error);
#endif
}

}  // namespace
