#include "RecordingChannel.h"

#include <kq/logger/Logger.h>

#include "support/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

using kq::logger::ILogger;
using kqtest::RecordingChannel;

namespace {

// Each case starts from an empty registry.
class Registry : public ::testing::Test {
protected:
    void SetUp() override { kq::logger::shutdown(); }
    void TearDown() override { kq::logger::shutdown(); }
};

TEST_F(Registry, DottedNameCopiesNearestRegisteredAncestor)
{
    auto q = std::make_shared<RecordingChannel>();
    ILogger& a = kq::logger::add("a", q);
    a.setLevel(1);

    ILogger& abc = kq::logger::get("a.b.c");
    EXPECT_EQ(q, abc.channel());
    EXPECT_EQ(1, abc.level());

    // a.b was not created on the way: it copies from a now, after a has changed.
    a.setLevel(3);
    EXPECT_EQ(3, kq::logger::get("a.b").level());
    // ... and a.b.c keeps its snapshot.
    EXPECT_EQ(1, abc.level());
}

TEST_F(Registry, FirstGetCreatesRootWithItsOwnNullChannel)
{
    ILogger& x = kq::logger::get("x");
    ILogger& root = kq::logger::root();
    EXPECT_EQ(root.channel(), x.channel());
    EXPECT_NE(nullptr, std::dynamic_pointer_cast<kq::logger::NullLogChannel>(root.channel()));
    EXPECT_EQ(0, x.level());
    EXPECT_NE(root.channel(), kq::logger::null().channel());
}

TEST_F(Registry, AncestorLookupCases)
{
    auto rootChannel = std::make_shared<RecordingChannel>();
    kq::logger::add("", rootChannel);
    EXPECT_EQ(rootChannel, kq::logger::get(".x").channel());
    EXPECT_EQ(rootChannel, kq::logger::get("null.x").channel());

    auto nullChannel = std::make_shared<RecordingChannel>();
    kq::logger::null().setChannel(nullChannel);
    EXPECT_EQ(nullChannel, kq::logger::get("null.y").channel());
}

TEST_F(Registry, NamesAreCaseSensitiveAndAliasesAgree)
{
    EXPECT_NE(&kq::logger::get("A"), &kq::logger::get("a"));
    EXPECT_EQ(&kq::logger::root(), &kq::logger::get(""));
    EXPECT_EQ(&kq::logger::null(), &kq::logger::get("null"));
}

TEST_F(Registry, AddOfTakenNameReturnsAnUnregisteredLogger)
{
    auto first = std::make_shared<RecordingChannel>();
    auto second = std::make_shared<RecordingChannel>();
    ILogger& registered = kq::logger::add("k", first);
    ILogger& aside = kq::logger::add("k", second);
    EXPECT_NE(&registered, &aside);
    EXPECT_EQ(&registered, &kq::logger::get("k"));
    aside.info("m");
    ASSERT_EQ(1u, second->writes.size());
    EXPECT_EQ("k", second->writes[0].first);
    EXPECT_TRUE(first->writes.empty());
}

TEST_F(Registry, AddInheritsNothing)
{
    kq::logger::root().setLevel(5);
    EXPECT_EQ(0, kq::logger::add("fresh", nullptr).level());
}

TEST_F(Registry, ShutdownReleasesChannelsAndStartsAfresh)
{
    auto channel = std::make_shared<RecordingChannel>();
    std::weak_ptr<RecordingChannel> watch = channel;
    kq::logger::add("s", std::move(channel)).setLevel(2);
    kq::logger::add("s", watch.lock());
    kq::logger::shutdown();
    EXPECT_TRUE(watch.expired());

    ILogger& again = kq::logger::get("s");
    EXPECT_EQ(0, again.level());
    EXPECT_EQ(kq::logger::root().channel(), again.channel());
}

const char* const ExitChildVariable = "KQ_REGISTRY_EXIT_CHILD";
const char* const DestroyedMarker = "channel destroyed";

// Tells the parent test, through standard output, if it is ever destroyed.
class MarkingChannel : public kq::logger::NullLogChannel {
public:
    ~MarkingChannel() override
    {
        std::fputs(DestroyedMarker, stdout);
        std::fflush(stdout);
    }
};

// Runs only as a child started by the test below; the process then exits normally.
TEST(RegistryExitChild, RegistersWithoutShutdown)
{
    if (std::getenv(ExitChildVariable) == nullptr)
        GTEST_SKIP() << "child mode of RegistryAtExit only";
    kq::logger::add("exit.child", std::make_shared<MarkingChannel>()).info("m");
}

// Loggers and their channels survive the library's unload: a thread still logging while
// the process exits must not find them destroyed.
TEST(RegistryAtExit, LoggersAreNotDestroyedWithoutShutdown)
{
    kqtest::Process child(kqtest::programPath("logger_tests"),
                          {"--gtest_filter=RegistryExitChild.*"},
                          {std::string(ExitChildVariable) + "=1"});
    ASSERT_EQ(0, child.wait(std::chrono::seconds(60))) << child.out() << child.err();
    EXPECT_EQ(std::string::npos, child.out().find(DestroyedMarker)) << child.out();
}

}  // namespace
