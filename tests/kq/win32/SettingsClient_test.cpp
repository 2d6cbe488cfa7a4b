#include "RegistrySandbox.h"
#include "support/Process.h"
#include "support/TestLibrary.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

// A user's program keeps its setting from one run to the next.
TEST(SettingsClient, CountsItsRunsInTheRegistry)
{
    kqtest::RegistrySandbox sandbox;
    for (const std::string runs : {"1", "2"}) {
        kqtest::Process client(
            kqtest::programPath("kq_settings_client"),
            {"--key=" + sandbox.key("client"), "--library=" + kqtest::testLibraryPath()},
            {"KQTEST_GREETING=hello"});
        ASSERT_EQ(0, client.wait(std::chrono::seconds(60))) << client.out() << client.err();
        std::string line;
        ASSERT_TRUE(client.readLine(line, std::chrono::seconds(0)));
        EXPECT_EQ("answer=42 greeting=hello runs=" + runs, line);
    }
}

}  // namespace
