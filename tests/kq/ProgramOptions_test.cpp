#include <kq/ProgramOptions.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using kq::ProgramOptions::OptionsProcessor;
using kq::ProgramOptions::StringOptionValue;

namespace {

// Rejects everything, so a failed conversion can be seen to clear isSet.
class RejectingOption : public kq::ProgramOptions::AbstractOptionValue<int> {
protected:
    bool convert(const std::string&) override { return false; }
};

class ThrowingOption : public kq::ProgramOptions::AbstractOptionValue<int> {
protected:
    bool convert(const std::string&) override { throw std::runtime_error("bad option"); }
};

struct ToolOptions : ::testing::Test {
    StringOptionValue serial;
    StringOptionValue input;
    OptionsProcessor processor{'-', '='};

    ToolOptions()
    {
        processor.add("s", "serial", "serial device name", &serial);
        processor.add("i", "input", "input file", &input);
    }

    int run(std::vector<std::string> args)
    {
        args.insert(args.begin(), "prog");
        return processor.process(args);
    }
};

struct ArgumentCase {
    std::vector<std::string> args;
    int count;
    bool serialSet;
    std::string serialValue;
};

class SerialArgument : public ToolOptions, public ::testing::WithParamInterface<ArgumentCase> {};

TEST_P(SerialArgument, SetsTheSerialOptionAsExpected)
{
    const ArgumentCase& c = GetParam();
    EXPECT_EQ(c.count, run(c.args));
    EXPECT_EQ(c.serialSet, serial.isSet);
    EXPECT_EQ(c.serialValue, serial.value);
    EXPECT_FALSE(input.isSet);
}

INSTANTIATE_TEST_SUITE_P(
    Matching, SerialArgument,
    ::testing::Values(ArgumentCase{{"--serial=COM3"}, 1, true, "COM3"},
                      ArgumentCase{{"-s=COM3"}, 1, true, "COM3"},
                      ArgumentCase{{"--serial=a=b"}, 1, true, "a=b"},
                      ArgumentCase{{"--serial"}, 1, true, ""},
                      ArgumentCase{{"-s", "COM3"}, 1, true, ""},
                      ArgumentCase{{"--SERIAL=COM3"}, 0, false, ""},
                      ArgumentCase{{"serial=COM3"}, 0, false, ""},
                      ArgumentCase{{"---serial=COM3"}, 0, false, ""},
                      ArgumentCase{{"-serial=COM3"}, 0, false, ""},
                      ArgumentCase{{"-s=one", "--serial=two"}, 2, true, "two"},
                      ArgumentCase{{}, 0, false, ""},
                      // Only the long-form-less entries have an empty form; these have none.
                      ArgumentCase{{"=COM3"}, 0, false, ""},
                      ArgumentCase{{""}, 0, false, ""}));

TEST_F(ToolOptions, BothOptionsSetAndCounted)
{
    EXPECT_EQ(2, run({"--serial=COM3", "-i=dump.log"}));
    EXPECT_EQ("COM3", serial.value);
    EXPECT_EQ("dump.log", input.value);
    EXPECT_TRUE(input.isSet);
}

TEST_F(ToolOptions, ArgvOverloadSkipsProgramName)
{
    char prog[] = "-s=prog";
    char arg[] = "-i=x";
    char* argv[] = {prog, arg, nullptr};
    EXPECT_EQ(1, processor.process(2, argv));
    EXPECT_FALSE(serial.isSet);
    EXPECT_EQ("x", input.value);
    EXPECT_EQ(0, processor.process(1, argv));
    EXPECT_EQ(0, processor.process(0, argv));
}

TEST_F(ToolOptions, VectorElementIsTakenUpToItsFirstZeroByte)
{
    EXPECT_EQ(1, run({std::string("-s=ab\0cd", 8)}));
    EXPECT_EQ("ab", serial.value);
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

TEST(OptionsProcessor, RejectedTextClearsAnEarlierSet)
{
    RejectingOption number;
    number.isSet = true;
    OptionsProcessor processor;
    processor.add("n", "", &number);
    EXPECT_EQ(0, processor.process({"prog", "-n=1"}));
    EXPECT_FALSE(number.isSet);
}

TEST(OptionsProcessor, ConvertExceptionPassesThrough)
{
    ThrowingOption option;
    OptionsProcessor processor;
    processor.add("t", "", &option);
    EXPECT_THROW(processor.process({"prog", "-t=1"}), std::runtime_error);
}

TEST(OptionsProcessor, NullValueIsRefusedAtAdd)
{
    OptionsProcessor processor;
    try {
        processor.add("s", "serial", "", nullptr);
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("OptionsProcessor::add"));
        EXPECT_NE(std::string::npos, std::string(e.what()).find("'s'"));
    }
    EXPECT_THROW(processor.add("x", "", nullptr), std::invalid_argument);
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
