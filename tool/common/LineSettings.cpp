#include "LineSettings.h"

namespace quorvex {

kq::io::SerialConfig fixedLineSettings(const std::string& deviceName)
{
    kq::io::SerialConfig config;
    config.setDeviceName(deviceName);
    config.setBaudRate(115200);
    config.setDataSize(kq::io::DataBits8);
    config.setParity(kq::io::ParityNone);
    config.setStopBits(kq::io::StopBitsOne);
    config.setFlowControl(kq::io::FlowOff);
    return config;
}

void applyLineChange(kq::io::SerialConfig& config, const LineChange& change)
{
    if (change.baudRate != 0) {
        config.setBaudRate(change.baudRate);
    }
    if (change.dataSize != kq::io::DataBitsUnchanged) {
        config.setDataSize(change.dataSize);
    }
    if (change.parity != kq::io::ParityUnchanged) {
        config.setParity(change.parity);
    }
    if (change.stopBits != kq::io::StopBitsUnchanged) {
        config.setStopBits(change.stopBits);
    }
}

std::string lineChangeText(const LineChange& change)
{
    kq::io::SerialConfig config;
    applyLineChange(config, change);
    return config.toString();
}

}  // namespace quorvex
