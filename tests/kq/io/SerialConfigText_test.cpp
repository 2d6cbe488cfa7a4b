#include <kq/io/SerialConfig.h>

#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <string>

using namespace kq::io;

namespace {

struct Fields {
    std::string device;
    unsigned int baud = 0;
    DataSize data = DataBitsUnchanged;
    Parity parity = ParityUnchanged;
    StopBits stop = StopBitsUnchanged;
    FlowControl flow = FlowUnchanged;
};

SerialConfig make(const Fields& f)
{
    SerialConfig c;
    c.setDeviceName(f.device);
    c.setBaudRate(f.baud);
    c.setDataSize(f.data);
    c.setParity(f.parity);
    c.setStopBits(f.stop);
    c.setFlowControl(f.flow);
    return c;
}

// The line fields as raw numbers: invalid values show as they are, unlike in toString.
std::string fieldsOf(const SerialConfig& c)
{
    return c.deviceName() + "|" + std::to_string(c.baudRate()) + "|" +
           std::to_string(c.dataSize()) + "|" + std::to_string(c.parity()) + "|" +
           std::to_string(c.stopBits()) + "|" + std::to_string(c.flowControl());
}

}  // namespace

TEST(SerialConfigText, PrintsOnlyWhatIsSetInNameOrder)
{
    const struct {
        Fields fields;
        const char* text;
    } cases[] = {
        {{"COM3", 115200, DataBits8, ParityNone, StopBitsOne, FlowOff},
         "baud=115200;data=8;device=COM3;flow=off;parity=none;stop=1"},
        {{}, ""},
        {{"COM7"}, "device=COM7"},
        {{"", 0, DataBits5, ParityEven, StopBitsOneAndHalf, FlowSoftware},
         "data=5;flow=software;parity=even;stop=1.5"},
        {{"", 0, DataBits6, ParityOdd, StopBitsTwo, FlowHardware},
         "data=6;flow=hardware;parity=odd;stop=2"},
        {{"", 4294967295u, DataBits7}, "baud=4294967295;data=7"},
        {{"", 0, DataSize(5), Parity(4), StopBits(-1), FlowControl(9)}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, make(c.fields).toString());
    }
}

TEST(SerialConfigText, ParsesEveryWordAndIgnoresWhatItDoesNotKnow)
{
    const struct {
        const char* text;
        Fields fields;
    } cases[] = {
        {"baud=115200;data=8;device=COM3;flow=off;parity=none;stop=1",
         {"COM3", 115200, DataBits8, ParityNone, StopBitsOne, FlowOff}},
        {"data=5;parity=even;stop=1.5;flow=software",
         {"", 0, DataBits5, ParityEven, StopBitsOneAndHalf, FlowSoftware}},
        {"data=6;parity=odd;stop=2;flow=hardware",
         {"", 0, DataBits6, ParityOdd, StopBitsTwo, FlowHardware}},
        {"data=7;parity=NONE;flow=HardWare",
         {"", 0, DataBits7, ParityNone, StopBitsUnchanged, FlowHardware}},
        {"parity=Even;flow=Off",
         {"", 0, DataBitsUnchanged, ParityEven, StopBitsUnchanged, FlowOff}},
        {"device=COM7", {"COM7"}},
        {"parity=odd;parity=even", {"", 0, DataBitsUnchanged, ParityEven}},
        {"stop=1.50;data=9;parity=mark;flow=xon", {}},
        {"baud=0", {}},
        {"baud", {}},
        {"baud=", {}},
        {"device", {}},
        {"Baud=9600; baud=9600;speed=9600", {}},
        {"baud=-1", {"", 4294967295u}},
        {"baud= 2400", {"", 2400}},
        {"device=a=b;;", {"a=b"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fieldsOf(make(c.fields)), fieldsOf(SerialConfig::fromString(c.text))) << c.text;
    }
}

TEST(SerialConfigText, RejectsNumbersThatAreNotWholeDecimals)
{
    for (const char* text : {"baud=abc", "baud=12x", "baud=9600 ", "data=8 ", "data=0x8"}) {
        EXPECT_EQ("logic_error: NumebrParser - bad format",
                  kqtest::thrownBy([&] { SerialConfig::fromString(text); }))
            << text;
    }
    for (const char* text : {"baud=2147483648", "data=-2147483649"}) {
        EXPECT_EQ("range_error: NumberParser - out of range",
                  kqtest::thrownBy([&] { SerialConfig::fromString(text); }))
            << text;
    }
}

TEST(SerialConfigText, RoundTripsAndLeavesTimeoutsAndQueuesOut)
{
    const Fields cases[] = {
        {"COM3", 115200, DataBits8, ParityNone, StopBitsOne, FlowOff},
        {"serial/by-id/usb-0:1", 2147483647u, DataBits5, ParityOdd, StopBitsOneAndHalf,
         FlowHardware},
        {"pts/3", 300, DataBits6, ParityEven, StopBitsTwo, FlowSoftware},
        {},
    };
    for (const Fields& f : cases) {
        SerialConfig c = make(f);
        c.setCommTimeouts({1, 2, 3, 4, 5});
        c.setBuffersSize({6, 7});
        const std::string text = c.toString();
        EXPECT_EQ(make(f).toString(), text);
        const SerialConfig back = SerialConfig::fromString(text);
        EXPECT_EQ(fieldsOf(make(f)), fieldsOf(back)) << text;
        EXPECT_EQ(0u, back.commTimeouts().readIntervalTimeout) << text;
        EXPECT_EQ(0u, back.buffersSize().inputSize) << text;
    }
}
