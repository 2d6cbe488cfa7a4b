#include <kq/io/SerialConfig.h>

#include <utility>

namespace kq {
namespace io {

static_assert(sizeof(DataSize) == 4 && sizeof(Parity) == 4 && sizeof(StopBits) == 4 &&
                  sizeof(FlowControl) == 4,
              "the enumerations are 32-bit values of the exported interface");

SerialConfig::SerialConfig()
    : baudRate_(0),
      dataSize_(DataBitsUnchanged),
      parity_(ParityUnchanged),
      stopBits_(StopBitsUnchanged),
      flowControl_(FlowUnchanged),
      commTimeouts_{0, 0, 0, 0, 0},
      buffersSize_{0, 0}
{
}

SerialConfig::SerialConfig(const SerialConfig& other) = default;

SerialConfig::SerialConfig(SerialConfig&& other) noexcept
    : deviceName_(std::move(other.deviceName_)),
      baudRate_(other.baudRate_),
      dataSize_(other.dataSize_),
      parity_(other.parity_),
      stopBits_(other.stopBits_),
      flowControl_(other.flowControl_),
      commTimeouts_(other.commTimeouts_),
      buffersSize_(other.buffersSize_)
{
}

SerialConfig& SerialConfig::operator=(const SerialConfig& other) = default;

SerialConfig& SerialConfig::operator=(SerialConfig&& other) noexcept
{
    if (this != &other) {
        deviceName_ = std::move(other.deviceName_);
        baudRate_ = other.baudRate_;
        dataSize_ = other.dataSize_;
        parity_ = other.parity_;
        stopBits_ = other.stopBits_;
        flowControl_ = other.flowControl_;
        commTimeouts_ = other.commTimeouts_;
        buffersSize_ = other.buffersSize_;
    }
    return *this;
}

SerialConfig::~SerialConfig() = default;

const std::string& SerialConfig::deviceName() const
{
    return deviceName_;
}
void SerialConfig::setDeviceName(const std::string& name)
{
    if (&name != &deviceName_) {
        deviceName_ = name;
    }
}

unsigned int SerialConfig::baudRate() const
{
    return baudRate_;
}
void SerialConfig::setBaudRate(unsigned int rate)
{
    baudRate_ = rate;
}

DataSize SerialConfig::dataSize() const
{
    return dataSize_;
}
void SerialConfig::setDataSize(DataSize size)
{
    dataSize_ = size;
}

Parity SerialConfig::parity() const
{
    return parity_;
}
void SerialConfig::setParity(Parity parity)
{
    parity_ = parity;
}

StopBits SerialConfig::stopBits() const
{
    return stopBits_;
}
void SerialConfig::setStopBits(StopBits stopBits)
{
    stopBits_ = stopBits;
}

FlowControl SerialConfig::flowControl() const
{
    return flowControl_;
}
void SerialConfig::setFlowControl(FlowControl flow)
{
    flowControl_ = flow;
}

const SerialTimeouts& SerialConfig::commTimeouts() const
{
    return commTimeouts_;
}
void SerialConfig::setCommTimeouts(const SerialTimeouts& timeouts)
{
    commTimeouts_ = timeouts;
}

const SerialBuffersSize& SerialConfig::buffersSize() const
{
    return buffersSize_;
}
void SerialConfig::setBuffersSize(const SerialBuffersSize& sizes)
{
    buffersSize_ = sizes;
}

}  // namespace io
}  // namespace kq
