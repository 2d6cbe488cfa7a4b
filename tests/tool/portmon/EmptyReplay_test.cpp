#include "tool/ToolRun.h"

namespace {

// A file that is no PortMon log gives nothing to replay: said, not passed over.
TEST(EmptyReplay, CheckExitsWithOne)
{
    kqtest::TempDir dir;
    const kqtest::Outcome loader = kqtest::runTool(
        "QuorvexLoader", {"--check", "-i=" + dir.writeFile("notes.txt", "shopping list\n")});
    EXPECT_EQ(loader.status, 1);
    EXPECT_EQ(loader.out,
              "sends: 0 (0 bytes), reads: 0 (0 bytes), purges: 0\n"
              "lines not understood: 0\n"
              "ports: none named\n"
              "payloads shorter than their length: 0\n"
              "nothing to replay: the log yields no action\n"
              "check: 1 problems found\n");
}

using EmptyReplayRun = kqtest::ToolRun;

TEST_F(EmptyReplayRun, WarnsOnStandardError)
{
    ASSERT_NO_FATAL_FAILURE(run("shopping list\n", ""));
    EXPECT_EQ(0, loaderStatus_);
    EXPECT_EQ(kqtest::text(loader_->out()), "complete\n");
    EXPECT_EQ(kqtest::text(loader_->err()),
              "openDevice( '" + loaderPort_ +
                  "' ) OK\n"
                  "warning: the log holds no read, write or purge request: nothing was found to "
                  "replay\n");
}

}  // namespace
