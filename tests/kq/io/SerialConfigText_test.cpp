#include <kq/io/SerialConfig.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace kq::io;

namespace {

struct Fields {
    std::string device;
    unsigned int baud;
    DataSize data;
    Parity parity;
    StopBits stop;
    FlowControl flow;
};

SerialConfig make(const Fields& f) {
    SerialConfig c;
    c.setDeviceName(f.device);
    c.setBaudRate(f.baud);
    c.setDataSize(f.data);
    c.setParity(f.parity);
    c.setStopBits(f.stop);
    c.setFlowControl(f.flow);
    return c;
}

void expectFields(const Fields& f, const SerialConfig& c, const std::string& context) {
    EXPECT_EQ(f.device, c.deviceName()) << context;
    EXPECT_EQ(f.baud, c.baudRate()) << context;
    EXPECT_EQ(f.data, c.dataSize()) << context;
    EXPECT_EQ(f.parity, c.parity()) << context;
    EXPECT_EQ(f.stop, c.stopBits()) << context;
    EXPECT_EQ(f.flow, c.flowControl()) << context;
}

const Fields nothing{"", 0, DataBitsUnchanged, ParityUnchanged, StopBitsUnchanged, FlowUnchanged};

}  // namespace

TEST(SerialConfigText, PrintsOnlyWhatIsSetInNameOrder) {
    const struct {
        Fields fields;
        const char* text;
    } cases[] = {
        {{"COM3", 115200, DataBits8, ParityNone, StopBitsOne, FlowOff},
         "baud=115200;data=8;device=COM3;flow=off;parity=none;stop=1"},
        {nothing, ""},
        {{"COM7", 0, DataBitsUnchanged, ParityUnchanged, StopBitsUnchanged, FlowUnchanged}, "device=COM7"},
        {{"", 0, DataBits5, ParityEven, StopBitsOneAndHalf, FlowSoftware},
         "data=5;flow=software;parity=even;stop=1.5"},
        {{"", 0, DataBits6, ParityOdd, StopBitsTwo, FlowHardware},
         "data=6;flow=hardware;parity=odd;stop=2"},
        {{"", 4294967295u, DataBits7, ParityUnchanged, StopBitsUnchanged, FlowUnchanged},
         "baud=4294967295;data=7"},
        {{"", 0, DataSize(5), Parity(4), StopBits(-1), FlowControl(9)}, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, make(c.fields).toString());
    }
}

TEST(SerialConfigText, ParsesEveryWordAndIgnoresWhatItDoesNotKnow) {
    const struct {
        const char* text;
        Fields fields;
    } cases[] = {
        {"baud=115200;data=8;device=COM3;flow=off;parity=none;stop=1",
         {"COM3", 115200, DataBits8, ParityNone, StopBitsOne, FlowOff}},
        {"data=5;parity=even;stop=1.5;flow=software", {"", 0, DataBits5, ParityEven, StopBitsOneAndHalf, FlowSoftware}},
        {"data=6;parity=odd;stop=2;flow=hardware", {"", 0, DataBits6, ParityOdd, StopBitsTwo, FlowHardware}},
        {"data=7;parity=NONE;flow=HardWare", {"", 0, DataBits7, ParityNone, StopBitsUnchanged, FlowHardware}},
        {"parity=Even;flow=Off", {"", 0, DataBitsUnchanged, ParityEven, StopBitsUnchanged, FlowOff}},
        {"device=COM7", {"COM7", 0, DataBitsUnchanged, ParityUnchanged, StopBitsUnchanged, FlowUnchanged}},
        {"parity=odd;parity=even", {"", 0, DataBitsUnchanged, ParityEven, StopBitsUnchanged, FlowUnchanged}},
        {"stop=1.50;data=9;parity=mark;flow=xon", nothing},
        {"baud=0", nothing},
        {"baud", nothing},
        {"baud=", nothing},
        {"device", nothing},
        {"Baud=9600; baud=9600;speed=9600", nothing},
        {"baud=-1", {"", 4294967295u, DataBitsUnchanged, ParityUnchanged, StopBitsUnchanged, FlowUnchanged}},
        {"baud= 2400", {"", 2400, DataBitsUnchanged, ParityUnchanged, StopBitsUnchanged, FlowUnchanged}},
        {"device=a=b;;", {"a=b", 0, DataBitsUnchanged, ParityUnchanged, StopBitsUnchanged, FlowUnchanged}},
        {"", nothing},
    };
    for (const auto& c : cases) {
        expectFields(c.fields, SerialConfig::fromString(c.text), c.text);
    }
}

TEST(SerialConfigText, RejectsNumbersThatAreNotWholeDecimals) {
    for (const char* text : {"baud=abc", "baud=12x", "baud=9600 ", "data=8 ", "data=0x8"}) {
        try {
            SerialConfig::fromString(text);
            ADD_FAILURE() << text << " was accepted";
        } catch (const std::logic_error& e) {
            EXPECT_STREQ("NumebrParser - bad format", e.what()) << text;
        }
    }
    for (const char* text : {"baud=2147483648", "data=-2147483649"}) {
        try {
            SerialConfig::fromString(text);
            ADD_FAILURE() << text << " was accepted";
        } catch (const std::range_error& e) {
            EXPECT_STREQ("NumberParser - out of range", e.what()) << text;
        }
    }
}

TEST(SerialConfigText, RoundTripsAndLeavesTimeoutsAndQueuesOut) {
    const Fields cases[] = {
        {"COM3", 115200, DataBits8, ParityNone, StopBitsOne, FlowOff},
        {"serial/by-id/usb-0:1", 2147483647u, DataBits5, ParityOdd, StopBitsOneAndHalf, FlowHardware},
        {"pts/3", 300, DataBits6, ParityEven, StopBitsTwo, FlowSoftware},
        nothing,
    };
    for (const Fields& f : cases) {
        SerialConfig c = make(f);
        c.setCommTimeouts({1, 2, 3, 4, 5});
        c.setBuffersSize({6, 7});
        const std::string text = c.toString();
        EXPECT_EQ(make(f).toString(), text);
        const SerialConfig back = SerialConfig::fromString(text);
        expectFields(f, back, text);
        EXPECT_EQ(0u, back.commTimeouts().readIntervalTimeout) << text;
        EXPECT_EQ(0u, back.buffersSize().inputSize) << text;
    }
}
