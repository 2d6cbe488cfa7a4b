#include <kq/ProgramOptions.h>

#include <gtest/gtest.h>

#include "support/Thrown.h"

#include <stdexcept>
#include <string>
#include <vector>

using kq::ProgramOptions::AbstractOptionValue;
using kq::ProgramOptions::OptionsProcessor;
using kq::ProgramOptions::StringOptionValue;

namespace {

// Rejects everything, so a failed conversion can be seen to clear isSet.
struct RejectingOption : AbstractOptionValue<int> {
    bool convert(const std::string&) override { return false; }
};

struct ThrowingOption : AbstractOptionValue<int> {
    bool convert(const std::string&) override { throw std::runtime_error("bad option"); }
};

std::string stateOf(const StringOptionValue& o)
{
    return (o.isSet ? "set '" : "unset '") + o.value + "'";
}

// The tool's own two options, "-s"/"--serial" and "-i"/"--input".
struct Tool {
    StringOptionValue serial, input;
    OptionsProcessor processor{'-', '='};

    Tool()
    {
        processor.add("s", "serial", "serial device name", &serial);
        processor.add("i", "input", "input file", &input);
    }
};

TEST(OptionsProcessor, MatchesOnlyTheExactPrefixedForms)
{
    const std::string unset = "unset ''";
    const struct {
        std::vector<std::string> args;
        int count;
        std::string serial, input;
    } cases[] = {
        {{"--serial=COM3"}, 1, "set 'COM3'", unset},
        {{"-s=COM3"}, 1, "set 'COM3'", unset},
        {{"--serial=a=b"}, 1, "set 'a=b'", unset},
        {{"--serial"}, 1, "set ''", unset},
        {{"-s", "COM3"}, 1, "set ''", unset},
        {{}, 0, unset, unset},
        {{"-s=one", "--serial=two"}, 2, "set 'two'", unset},
        {{"--serial=COM3", "-i=dump.log"}, 2, "set 'COM3'", "set 'dump.log'"},
        {{"--SERIAL=COM3"}, 0, unset, unset},
        {{"serial=COM3"}, 0, unset, unset},
        {{"---serial=COM3"}, 0, unset, unset},
        {{"-serial=COM3"}, 0, unset, unset},
        // Only entries without a long form have an empty form; these have none.
        {{"=COM3"}, 0, unset, unset},
        {{""}, 0, unset, unset},
        // A vector element is taken up to its first zero byte.
        {{std::string("-s=ab\0cd", 8)}, 1, "set 'ab'", unset},
    };
    for (const auto& c : cases) {
        Tool tool;
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), "prog");
        SCOPED_TRACE(testing::PrintToString(c.args));
        EXPECT_EQ(c.count, tool.processor.process(args));
        EXPECT_EQ(c.serial, stateOf(tool.serial));
        EXPECT_EQ(c.input, stateOf(tool.input));
    }
}

TEST(OptionsProcessor, ArgvOverloadSkipsProgramName)
{
    Tool tool;
    char prog[] = "-s=prog", arg[] = "-i=x";
    char* argv[] = {prog, arg, nullptr};
    EXPECT_EQ(1, tool.processor.process(2, argv));
    EXPECT_FALSE(tool.serial.isSet);
    EXPECT_EQ("x", tool.input.value);
    EXPECT_EQ(0, tool.processor.process(1, argv));
    EXPECT_EQ(0, tool.processor.process(0, argv));
}

TEST(OptionsProcessor, EmptyNameMatchesFirstEntryWithoutLongForm)
{
    StringOptionValue both, first, second;
    OptionsProcessor processor;
    processor.add("b", "both", "", &both);
    processor.add("x", "", &first);
    processor.add("y", "", &second);
    EXPECT_EQ(1, processor.process({"prog", "=v"}));
    EXPECT_EQ("v", first.value);
    EXPECT_FALSE(second.isSet);
    EXPECT_FALSE(both.isSet);
}

TEST(OptionsProcessor, DuplicateFormOnlyFirstEntryReceives)
{
    StringOptionValue first, second;
    OptionsProcessor processor;
    processor.add("s", "serial", "", &first);
    processor.add("t", "serial", "", &second);
    EXPECT_EQ(2, processor.process({"prog", "--serial=1", "-t=2"}));
    EXPECT_EQ("1", first.value);
    EXPECT_EQ("2", second.value);
    EXPECT_EQ(1, processor.process({"prog", "--serial=3"}));
    EXPECT_EQ("2", second.value);
}

TEST(OptionsProcessor, OtherPrefixAndAssignment)
{
    StringOptionValue input;
    OptionsProcessor processor('/', ':');
    processor.add("i", "input", "", &input);
    EXPECT_EQ(0, processor.process({"prog", "//input:a"}));
    EXPECT_EQ(1, processor.process({"prog", "/-input:a=b"}));
    EXPECT_EQ("a=b", input.value);
}

TEST(OptionsProcessor, RejectedTextClearsAnEarlierSetAndConvertExceptionsPassThrough)
{
    RejectingOption number;
    ThrowingOption throwing;
    number.isSet = true;
    OptionsProcessor processor;
    processor.add("n", "", &number);
    processor.add("t", "", &throwing);
    EXPECT_EQ(0, processor.process({"prog", "-n=1"}));
    EXPECT_FALSE(number.isSet);
    EXPECT_EQ("runtime_error: bad option", kqtest::thrownBy([&] {
                  processor.process({"prog", "-t=1"});
              }));
}

TEST(OptionsProcessor, NullValueIsRefusedAtAdd)
{
    OptionsProcessor processor;
    EXPECT_EQ("invalid_argument: OptionsProcessor::add: null value for option 's'/'serial'",
              kqtest::thrownBy([&] { processor.add("s", "serial", "", nullptr); }));
    EXPECT_EQ("invalid_argument: OptionsProcessor::add: null value for option 'x'",
              kqtest::thrownBy([&] { processor.add("x", "", nullptr); }));
    EXPECT_EQ(0, processor.process({"prog", "-s=1", "-x=1"}));
}

TEST(OptionsProcessor, ToStringAndDestructionLeaveValuesAlone)
{
    StringOptionValue serial;
    {
        OptionsProcessor processor;
        EXPECT_EQ("not implemented", processor.toString());
        processor.add("s", "serial", "", &serial);
        processor.process({"prog", "-s=COM1"});
    }
    EXPECT_TRUE(serial.isSet);
    EXPECT_EQ("COM1", serial.value);
}

}  // namespace
