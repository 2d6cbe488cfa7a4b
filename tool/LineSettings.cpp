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

}  // namespace quorvex
