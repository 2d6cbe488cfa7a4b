#include <kq/io/SerialConfig.h>

#include "FuzzCheck.h"
#include "support/Thrown.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

using kq::io::SerialConfig;
using kqtest::fuzzCheck;

namespace {

bool sameText(const SerialConfig& a, const SerialConfig& b)
{
    return a.deviceName() == b.deviceName() && a.baudRate() == b.baudRate() &&
           a.dataSize() == b.dataSize() && a.parity() == b.parity() &&
           a.stopBits() == b.stopBits() && a.flowControl() == b.flowControl();
}

bool noTimeoutsOrSizes(const SerialConfig& c)
{
    const kq::io::SerialTimeouts& t = c.commTimeouts();
    return t.readIntervalTimeout == 0 && t.readTotalTimeoutConstant == 0 &&
           t.readTotalTimeoutMultiplier == 0 && t.writeTotalTimeoutConstant == 0 &&
           t.writeTotalTimeoutMultiplier == 0 && c.buffersSize().inputSize == 0 &&
           c.buffersSize().outputSize == 0;
}

// Any text parses or fails with the number parser's errors; what parses prints as text that
// parses back to the same settings, unless the baud rate lies beyond the signed range.
void checkText(const std::string& text)
{
    SerialConfig parsed;
    const std::string thrown = kqtest::thrownBy([&] { parsed = SerialConfig::fromString(text); });
    if (!thrown.empty()) {
        fuzzCheck(thrown == "logic_error: NumebrParser - bad format" ||
                      thrown == "range_error: NumberParser - out of range",
                  "only the parser's exceptions", thrown);
        return;
    }
    fuzzCheck(noTimeoutsOrSizes(parsed), "the text form sets no time-outs or queue sizes");
    const std::string printed = parsed.toString();
    if (parsed.baudRate() > 2147483647u) {
        fuzzCheck(kqtest::thrownBy([&] { SerialConfig::fromString(printed); }) ==
                      "range_error: NumberParser - out of range",
                  "a baud rate beyond the signed range does not read back", printed);
        return;
    }
    const SerialConfig again = SerialConfig::fromString(printed);
    fuzzCheck(sameText(parsed, again) && again.toString() == printed, "text round trip", printed);
}

// Settings from the tables, a device without ';' and a baud rate in the signed range come
// back from their text; other values are not printed and come back as 0.
void checkSettings(FuzzedDataProvider& input)
{
    SerialConfig c;
    std::string device = input.ConsumeRandomLengthString(16);
    c.setDeviceName(device);
    c.setBaudRate(input.ConsumeIntegral<unsigned int>() & 0x7FFFFFFFu);
    c.setDataSize(static_cast<kq::io::DataSize>(input.ConsumeIntegralInRange(-1, 5)));
    c.setParity(static_cast<kq::io::Parity>(input.ConsumeIntegralInRange(-1, 4)));
    c.setStopBits(static_cast<kq::io::StopBits>(input.ConsumeIntegralInRange(-1, 4)));
    c.setFlowControl(static_cast<kq::io::FlowControl>(input.ConsumeIntegralInRange(-1, 4)));
    if (device.find(';') != std::string::npos) {
        return;
    }
    auto inTable = [](int v, int last) { return v >= 0 && v <= last ? v : 0; };
    const SerialConfig back = SerialConfig::fromString(c.toString());
    fuzzCheck(back.deviceName() == device && back.baudRate() == c.baudRate() &&
                  back.dataSize() == inTable(c.dataSize(), 4) &&
                  back.parity() == inTable(c.parity(), 3) &&
                  back.stopBits() == inTable(c.stopBits(), 3) &&
                  back.flowControl() == inTable(c.flowControl(), 3),
              "settings round trip", c.toString());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    checkText(std::string(reinterpret_cast<const char*>(data), size));
    FuzzedDataProvider input(data, size);
    checkSettings(input);
    return 0;
}
