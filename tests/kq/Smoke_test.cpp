#include <kq/kqsystem.h>
#include <gtest/gtest.h>
TEST(Smoke, Links) { EXPECT_EQ(std::string("1"), std::to_string(1)); }
