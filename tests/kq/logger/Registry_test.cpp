#include "LogTest.h"

#include "support/Process.h"

#include <chrono>

using kq::logger::ILogger;
using kqtest::RecordingChannel;
namespace logger = kq::logger;

namespace {

// Each case starts from an empty registry.
class Registry : public ::testing::Test {
protected:
    void SetUp() override { logger::shutdown(); }
    void TearDown() override { logger::shutdown(); }
};

TEST_F(Registry, DottedNameCopiesNearestRegisteredAncestor)
{
    auto q = std::make_shared<RecordingChannel>();
    ILogger& a = logger::add("a", q);
    a.setLevel(1);
    ILogger& abc = logger::get("a.b.c");
    EXPECT_EQ(q, abc.channel());
    EXPECT_EQ(1, abc.level());

    // a.b was not created on the way: it copies a as it is now; a.b.c keeps its snapshot.
    a.setLevel(3);
    EXPECT_EQ(3, logger::get("a.b").level());
    EXPECT_EQ(1, abc.level());
}

TEST_F(Registry, FirstGetCreatesRootWithItsOwnNullChannel)
{
    ILogger& x = logger::get("x");
    ILogger& root = logger::root();
    EXPECT_EQ(root.channel(), x.channel());
    EXPECT_NE(nullptr, std::dynamic_pointer_cast<logger::NullLogChannel>(root.channel()));
    EXPECT_EQ(0, x.level());
    EXPECT_NE(root.channel(), logger::null().channel());
}

TEST_F(Registry, AncestorLookupCases)
{
    auto rootChannel = std::make_shared<RecordingChannel>();
    logger::add("", rootChannel);
    EXPECT_EQ(rootChannel, logger::get(".x").channel());
    EXPECT_EQ(rootChannel, logger::get("null.x").channel());

    auto nullChannel = std::make_shared<RecordingChannel>();
    logger::null().setChannel(nullChannel);
    EXPECT_EQ(nullChannel, logger::get("null.y").channel());
}

TEST_F(Registry, NamesAreCaseSensitiveAndAliasesAgree)
{
    EXPECT_NE(&logger::get("A"), &logger::get("a"));
    EXPECT_EQ(&logger::root(), &logger::get(""));
    EXPECT_EQ(&logger::null(), &logger::get("null"));
}

TEST_F(Registry, AddOfTakenNameReturnsAnUnregisteredLoggerThatInheritsNothing)
{
    auto first = std::make_shared<RecordingChannel>();
    auto second = std::make_shared<RecordingChannel>();
    ILogger& registered = logger::add("k", first);
    ILogger& aside = logger::add("k", second);
    EXPECT_NE(&registered, &aside);
    EXPECT_EQ(&registered, &logger::get("k"));
    aside.info("m");
    ASSERT_EQ(1u, second->writes.size());
    EXPECT_EQ("k", second->writes[0].first);
    EXPECT_TRUE(first->writes.empty());

    logger::root().setLevel(5);
    EXPECT_EQ(0, logger::add("fresh", nullptr).level());
}

TEST_F(Registry, ShutdownReleasesChannelsAndStartsAfresh)
{
    auto channel = std::make_shared<RecordingChannel>();
    std::weak_ptr<RecordingChannel> watch = channel;
    logger::add("s", std::move(channel)).setLevel(2);
    logger::add("s", watch.lock());
    logger::shutdown();
    EXPECT_TRUE(watch.expired());

    ILogger& again = logger::get("s");
    EXPECT_EQ(0, again.level());
    EXPECT_EQ(logger::root().channel(), again.channel());
}

// Its destructor logs through the registry, as a channel that reports its own closing would.
struct LoggingOnCloseChannel : logger::NullLogChannel {
    ~LoggingOnCloseChannel() override { logger::get("closing").info("closed"); }
};

TEST_F(Registry, AChannelMayUseTheRegistryWhileShutdownDestroysIt)
{
    logger::add("c", std::make_shared<LoggingOnCloseChannel>());
    logger::shutdown();
    EXPECT_EQ(0, logger::get("closing").level());
}

const char* const ExitChildVariable = "KQ_REGISTRY_EXIT_CHILD";
const char* const DestroyedMarker = "channel destroyed";

// Tells the parent test, through standard output, if it is ever destroyed.
struct MarkingChannel : logger::NullLogChannel {
    ~MarkingChannel() override
    {
        std::fputs(DestroyedMarker, stdout);
        std::fflush(stdout);
    }
};

TEST(RegistryExitChild, RegistersWithoutShutdown)
{
    if (std::getenv(ExitChildVariable) == nullptr) {
        GTEST_SKIP() << "child mode of RegistryAtExit only";
    }
    logger::add("exit.child", std::make_shared<MarkingChannel>()).info("m");
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
