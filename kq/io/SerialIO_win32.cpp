#include <kq/detail/SystemError.h>
#include <kq/io/detail/SerialIOImpl.h>

#include <kq/StringUtils.h>

#include <windows.h>

#include <cstring>
#include <stdexcept>

namespace kq {
namespace io {

namespace {

static_assert(sizeof(DCB) == 28, "the driver expects the 28-byte DCB");

void applyFlowControl(DCB& dcb, FlowControl flow)
{
    switch (flow) {
        case FlowOff:
            dcb.fOutxCtsFlow = 0;
            dcb.fOutX = 0;
            dcb.fInX = 0;
            dcb.fRtsControl = RTS_CONTROL_DISABLE;
            break;
        case FlowSoftware:
            dcb.fOutxCtsFlow = 0;
            dcb.fOutX = 1;
            dcb.fInX = 1;
            dcb.fRtsControl = RTS_CONTROL_DISABLE;
            break;
        case FlowHardware:
            dcb.fOutxCtsFlow = 1;
            dcb.fOutX = 0;
            dcb.fInX = 0;
            dcb.fRtsControl = RTS_CONTROL_TOGGLE;
            break;
        default:
            break;
    }
}

void applyLineSettings(DCB& dcb, const SerialConfig& config)
{
    if (config.baudRate() != 0) {
        dcb.BaudRate = config.baudRate();
    }
    if (config.dataSize() >= DataBits5 && config.dataSize() <= DataBits8) {
        dcb.ByteSize = static_cast<BYTE>(5 + (config.dataSize() - DataBits5));
    }
    switch (config.parity()) {
        case ParityEven:
            dcb.Parity = EVENPARITY;
            break;
        case ParityOdd:
            dcb.Parity = ODDPARITY;
            break;
        case ParityNone:
            dcb.Parity = NOPARITY;
            break;
        default:
            break;
    }
    switch (config.stopBits()) {
        case StopBitsOne:
            dcb.StopBits = ONESTOPBIT;
            break;
        case StopBitsOneAndHalf:
            dcb.StopBits = ONE5STOPBITS;
            break;
        case StopBitsTwo:
            dcb.StopBits = TWOSTOPBITS;
            break;
        default:
            break;
    }
    applyFlowControl(dcb, config.flowControl());
}

COMMTIMEOUTS toCommTimeouts(const SerialTimeouts& t)
{
    COMMTIMEOUTS result;
    result.ReadIntervalTimeout = t.readIntervalTimeout;
    result.ReadTotalTimeoutMultiplier = t.readTotalTimeoutMultiplier;
    result.ReadTotalTimeoutConstant = t.readTotalTimeoutConstant;
    result.WriteTotalTimeoutMultiplier = t.writeTotalTimeoutMultiplier;
    result.WriteTotalTimeoutConstant = t.writeTotalTimeoutConstant;
    return result;
}

}  // namespace

unsigned long SerialIOImpl::openHandle()
{
    const std::string path = kq::format("\\\\.\\%s", config_.deviceName().c_str());
    device_ = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    return device_ == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
}

void SerialIOImpl::closeHandle()
{
    ::CloseHandle(device_);
}

void SerialIOImpl::configure()
{
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(device_, &dcb)) {
        kq::detail::throwDeviceCallFailed("GetCommState", config_.deviceName(),
                                          static_cast<long>(::GetLastError()));
    }
    applyLineSettings(dcb, config_);
    ::SetCommState(device_, &dcb);

    COMMTIMEOUTS timeouts = toCommTimeouts(config_.commTimeouts());
    ::SetCommTimeouts(device_, &timeouts);
    ::SetupComm(device_, config_.buffersSize().inputSize, config_.buffersSize().outputSize);
}

unsigned int SerialIOImpl::writeStep(const unsigned char* data, unsigned int size)
{
    DWORD written = 0;
    return ::WriteFile(device_, data, size, &written, nullptr) ? written : 0;
}

unsigned int SerialIOImpl::readStep(unsigned char* buffer, unsigned int size)
{
    DWORD got = 0;
    return ::ReadFile(device_, buffer, size, &got, nullptr) ? got : 0;
}

unsigned int SerialIOImpl::available()
{
    COMSTAT status;
    std::memset(&status, 0, sizeof status);
    return ::ClearCommError(device_, nullptr, &status) ? status.cbInQue : 0;
}

void SerialIOImpl::purge()
{
    ::PurgeComm(device_, PURGE_TXCLEAR | PURGE_RXCLEAR);
}

// A removed device fails every communication call on its handle.
bool SerialIOImpl::deviceLost()
{
    COMSTAT status;
    return !::ClearCommError(device_, nullptr, &status);
}

}  // namespace io
}  // namespace kq
