#include <kq/io/SerialConfig.h>

#include <kq/StringUtils.h>
#include <kq/nvCollection.h>

namespace kq {
namespace io {

namespace {

const char* const itemSeparator = ";";
const char* const nameValueSeparator = "=";

template <typename Enum>
struct Word {
    Enum value;
    const char* text;
};

const Word<Parity> parityWords[] = {{ParityEven, "even"}, {ParityOdd, "odd"}, {ParityNone, "none"}};
const Word<StopBits> stopWords[] = {
    {StopBitsOne, "1"}, {StopBitsOneAndHalf, "1.5"}, {StopBitsTwo, "2"}};
const Word<FlowControl> flowWords[] = {
    {FlowOff, "off"}, {FlowSoftware, "software"}, {FlowHardware, "hardware"}};
const Word<DataSize> dataWords[] = {
    {DataBits5, "5"}, {DataBits6, "6"}, {DataBits7, "7"}, {DataBits8, "8"}};

// Writes the word of a value from the table; values outside it are not written.
template <typename Enum, std::size_t N>
void setWord(nvCollection& items, const char* name, Enum value, const Word<Enum> (&words)[N])
{
    for (const Word<Enum>& word : words) {
        if (word.value == value) {
            items.setString(name, word.text);
        }
    }
}

// The value of the word that matches ignoring case; 0 (unchanged) for any other text.
template <typename Enum, std::size_t N>
Enum findWord(const std::string& text, const Word<Enum> (&words)[N])
{
    for (const Word<Enum>& word : words) {
        if (kq::icompare(text, word.text)) {
            return word.value;
        }
    }
    return Enum(0);
}

DataSize dataSizeOf(int bits)
{
    return bits >= 5 && bits <= 8 ? DataSize(DataBits5 + (bits - 5)) : DataBitsUnchanged;
}

}  // namespace

std::string SerialConfig::toString() const
{
    nvCollection items;
    if (!deviceName_.empty()) {
        items.setString("device", deviceName_);
    }
    setWord(items, "parity", parity_, parityWords);
    setWord(items, "stop", stopBits_, stopWords);
    setWord(items, "flow", flowControl_, flowWords);
    if (baudRate_ != 0) {
        items.setUInt("baud", baudRate_);
    }
    setWord(items, "data", dataSize_, dataWords);
    return items.toString(itemSeparator, nameValueSeparator);
}

SerialConfig SerialConfig::fromString(const std::string& text)
{
    const nvCollection items(text, itemSeparator, nameValueSeparator);
    SerialConfig config;
    if (items.has("device")) {
        config.setDeviceName(items.getString("device"));
    }
    if (items.has("parity")) {
        config.setParity(findWord(items.getString("parity"), parityWords));
    }
    if (items.has("stop")) {
        config.setStopBits(findWord(items.getString("stop"), stopWords));
    }
    if (items.has("flow")) {
        config.setFlowControl(findWord(items.getString("flow"), flowWords));
    }
    if (items.has("baud")) {
        // The bits of the signed value: -1 gives 4294967295.
        config.setBaudRate(static_cast<unsigned int>(items.getInt("baud")));
    }
    if (items.has("data")) {
        config.setDataSize(dataSizeOf(items.getInt("data")));
    }
    return config;
}

}  // namespace io
}  // namespace kq
