#include <kq/io/SerialConfig.h>

#include <gtest/gtest.h>

#include <utility>

using namespace kq::io;

namespace {

SerialConfig sample() {
    SerialConfig c;
    c.setDeviceName("COM3");
    c.setBaudRate(115200);
    c.setDataSize(DataBits8);
    c.setParity(ParityNone);
    c.setStopBits(StopBitsOne);
    c.setFlowControl(FlowOff);
    c.setCommTimeouts({65535, 1, 2, 3, 4});
    c.setBuffersSize({4096, 0});
    return c;
}

void expectNumericFieldsOfSample(const SerialConfig& c) {
    EXPECT_EQ(115200u, c.baudRate());
    EXPECT_EQ(DataBits8, c.dataSize());
    EXPECT_EQ(ParityNone, c.parity());
    EXPECT_EQ(StopBitsOne, c.stopBits());
    EXPECT_EQ(FlowOff, c.flowControl());
    EXPECT_EQ(65535u, c.commTimeouts().readIntervalTimeout);
    EXPECT_EQ(1u, c.commTimeouts().readTotalTimeoutConstant);
    EXPECT_EQ(2u, c.commTimeouts().readTotalTimeoutMultiplier);
    EXPECT_EQ(3u, c.commTimeouts().writeTotalTimeoutConstant);
    EXPECT_EQ(4u, c.commTimeouts().writeTotalTimeoutMultiplier);
    EXPECT_EQ(4096u, c.buffersSize().inputSize);
    EXPECT_EQ(0u, c.buffersSize().outputSize);
}

}  // namespace

TEST(SerialConfig, EnumerationValuesAreTheExportedOnes) {
    EXPECT_EQ(4, DataBits8);
    EXPECT_EQ(1, ParityEven);
    EXPECT_EQ(2, ParityOdd);
    EXPECT_EQ(3, ParityNone);
    EXPECT_EQ(2, StopBitsOneAndHalf);
    EXPECT_EQ(3, FlowHardware);
}

TEST(SerialConfig, DefaultChangesNothingAndZeroesTimeoutsAndQueues) {
    const SerialConfig c;
    EXPECT_EQ("", c.deviceName());
    EXPECT_EQ(0u, c.baudRate());
    EXPECT_EQ(DataBitsUnchanged, c.dataSize());
    EXPECT_EQ(ParityUnchanged, c.parity());
    EXPECT_EQ(StopBitsUnchanged, c.stopBits());
    EXPECT_EQ(FlowUnchanged, c.flowControl());
    EXPECT_EQ(0u, c.commTimeouts().readIntervalTimeout + c.commTimeouts().readTotalTimeoutConstant +
                      c.commTimeouts().readTotalTimeoutMultiplier +
                      c.commTimeouts().writeTotalTimeoutConstant +
                      c.commTimeouts().writeTotalTimeoutMultiplier);
    EXPECT_EQ(0u, c.buffersSize().inputSize + c.buffersSize().outputSize);
}

TEST(SerialConfig, CopiesAreIndependent) {
    const SerialConfig source = sample();
    SerialConfig copy(source);
    copy.setDeviceName("COM4");
    copy.setBaudRate(9600);
    EXPECT_EQ("COM3", source.deviceName());
    expectNumericFieldsOfSample(source);

    SerialConfig assigned;
    assigned = source;
    EXPECT_EQ("COM3", assigned.deviceName());
    expectNumericFieldsOfSample(assigned);
}

TEST(SerialConfig, MoveTakesTheNameAndKeepsTheNumbersOfTheSource) {
    SerialConfig source = sample();
    SerialConfig moved(std::move(source));
    EXPECT_EQ("COM3", moved.deviceName());
    expectNumericFieldsOfSample(moved);
    expectNumericFieldsOfSample(source);

    SerialConfig target;
    target = std::move(moved);
    EXPECT_EQ("COM3", target.deviceName());
    expectNumericFieldsOfSample(moved);
}

TEST(SerialConfig, SelfAssignmentKeepsEverything) {
    SerialConfig c = sample();
    SerialConfig& alias = c;
    c = alias;
    c.setDeviceName(c.deviceName());
    EXPECT_EQ("COM3", c.deviceName());
    expectNumericFieldsOfSample(c);
}

TEST(SerialConfig, SettersStoreAnyValueUnchecked) {
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
