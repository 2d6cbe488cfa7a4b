#include <kq/Environment.h>

#include "support/ScopedVariable.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Unique to this run, so that parallel test programs never share it.
std::string variableName()
{
    return "KQTEST_ENV_" + std::to_string(std::random_device()());
}

TEST(Environment, MissingVariable)
{
    const std::string name = variableName();
    const kqtest::ScopedVariable unset(name);
    EXPECT_FALSE(kq::environment::has(name));
    EXPECT_EQ("fallback", kq::environment::get(name, "fallback"));
    EXPECT_EQ("runtime_error: not found '" + name + "'",
              kqtest::thrownBy([&] { kq::environment::get(name); }));
}

// The empty value too: a variable set to "" exists.
TEST(Environment, SetVariable)
{
    const std::string name = variableName();
    for (const std::string& value :
         {std::string(), std::string("two words"), std::string(5000, 'v')}) {
        const kqtest::ScopedVariable set(name, value);
        EXPECT_TRUE(kq::environment::has(name));
        EXPECT_EQ(value, kq::environment::get(name));
        EXPECT_EQ(value, kq::environment::get(name, "fallback"));
    }
}

}  // namespace
