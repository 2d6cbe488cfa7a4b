#include "tool/ToolRun.h"

#include "support/PcscService.h"

#include <gtest/gtest.h>

#include <signal.h>

namespace {

using KqpcscInterrupt = kqtest::PcscServiceTest;

// An interrupt is watch's normal end.
TEST_F(KqpcscInterrupt, WatchEndsWithSuccessWhenInterrupted)
{
    const auto watch = kqtest::startTool("kqpcsc", {"watch"});
    std::string line;
    ASSERT_TRUE(watch->readLine(line, kqtest::runLimit)) << watch->err();
    ASSERT_TRUE(watch->readLine(line, kqtest::runLimit)) << watch->err();
    ::kill(static_cast<pid_t>(watch->pid()), SIGINT);
    EXPECT_EQ(watch->wait(kqtest::runLimit), 0) << watch->err();
}

}  // namespace
