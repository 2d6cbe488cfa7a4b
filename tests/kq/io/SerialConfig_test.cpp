#include <kq/io/SerialConfig.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace kq::io;

namespace {

// Every field but the name, in declaration order, so one comparison covers them all.
std::vector<long long> numbers(const SerialConfig& c)
{
    const SerialTimeouts& t = c.commTimeouts();
    return {c.baudRate(),
            c.dataSize(),
            c.parity(),
            c.stopBits(),
            c.flowControl(),
            t.readIntervalTimeout,
            t.readTotalTimeoutConstant,
            t.readTotalTimeoutMultiplier,
            t.writeTotalTimeoutConstant,
            t.writeTotalTimeoutMultiplier,
            c.buffersSize().inputSize,
            c.buffersSize().outputSize};
}

const std::vector<long long> sampleNumbers{
    115200, DataBits8, ParityNone, StopBitsOne, FlowOff, 65535, 1, 2, 3, 4, 4096, 0};

SerialConfig sample()
{
    SerialConfig c =
        SerialConfig::fromString("device=COM3;baud=115200;data=8;parity=none;stop=1;flow=off");
    c.setCommTimeouts({65535, 1, 2, 3, 4});
    c.setBuffersSize({4096, 0});
    return c;
}

}  // namespace

TEST(SerialConfig, EnumerationValuesAreTheExportedOnes)
{
    EXPECT_EQ((std::vector<int>{4, 1, 2, 3, 2, 3}),
              (std::vector<int>{DataBits8, ParityEven, ParityOdd, ParityNone, StopBitsOneAndHalf,
                                FlowHardware}));
}

TEST(SerialConfig, DefaultChangesNothingAndZeroesTimeoutsAndQueues)
{
    const SerialConfig c;
    EXPECT_EQ("", c.deviceName());
    EXPECT_EQ((std::vector<long long>{0, DataBitsUnchanged, ParityUnchanged, StopBitsUnchanged,
                                      FlowUnchanged, 0, 0, 0, 0, 0, 0, 0}),
              numbers(c));
}

TEST(SerialConfig, CopiesAreIndependent)
{
    const SerialConfig source = sample();
    SerialConfig copy(source);
    copy.setDeviceName("COM4");
    copy.setBaudRate(9600);
    EXPECT_EQ("COM3", source.deviceName());
    EXPECT_EQ(sampleNumbers, numbers(source));

    SerialConfig assigned;
    assigned = source;
    EXPECT_EQ("COM3", assigned.deviceName());
    EXPECT_EQ(sampleNumbers, numbers(assigned));
}

TEST(SerialConfig, MoveTakesTheNameAndKeepsTheNumbersOfTheSource)
{
    SerialConfig source = sample();
    SerialConfig moved(std::move(source));
    EXPECT_EQ("COM3", moved.deviceName());
    EXPECT_EQ(sampleNumbers, numbers(moved));
    EXPECT_EQ(sampleNumbers, numbers(source));

    SerialConfig target;
    target = std::move(moved);
    EXPECT_EQ("COM3", target.deviceName());
    EXPECT_EQ(sampleNumbers, numbers(moved));
}

TEST(SerialConfig, SelfAssignmentKeepsEverything)
{
    SerialConfig c = sample();
    SerialConfig& alias = c;
    c = alias;
    c.setDeviceName(c.deviceName());
    EXPECT_EQ("COM3", c.deviceName());
    EXPECT_EQ(sampleNumbers, numbers(c));
}

TEST(SerialConfig, SettersStoreAnyValueUnchecked)
{
    SerialConfig c;
    c.setBaudRate(0xFFFFFFFFu);
    c.setDataSize(DataSize(9));
    c.setParity(Parity(-1));
    EXPECT_EQ(0xFFFFFFFFu, c.baudRate());
    EXPECT_EQ(9, c.dataSize());
    EXPECT_EQ(-1, static_cast<int>(c.parity()));
    c.setBaudRate(0);
    EXPECT_EQ(0u, c.baudRate());
}
