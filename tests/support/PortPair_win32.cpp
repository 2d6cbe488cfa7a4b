#include "support/PortPair.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>

namespace kqtest {

namespace {

HANDLE openPort(const std::string& name)
{
    return ::CreateFileA(("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

struct PortPairImpl {
    std::string port;
    std::string deviceName;
    HANDLE device = INVALID_HANDLE_VALUE;
};

PortPair::PortPair(std::size_t pair) : impl_(new PortPairImpl)
{
    const std::vector<std::string> ports = testPorts(pair);
    if (ports.size() != 2) {
        throw std::runtime_error("KQ_TEST_PORTS must name two COM ports, e.g. COM11,COM12");
    }
    impl_->port = ports[0];
    impl_->deviceName = ports[1];
    impl_->device = openPort(impl_->deviceName);
    if (impl_->device == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("can't open the device side " + impl_->deviceName);
    }
    ::PurgeComm(impl_->device, PURGE_TXCLEAR | PURGE_RXCLEAR);
}

PortPair::~PortPair()
{
    closeDevice();
}

std::string PortPair::portName() const
{
    return impl_->port;
}

void PortPair::deviceWrite(const std::vector<unsigned char>& bytes)
{
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(impl_->device, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr));
    ASSERT_EQ(bytes.size(), written);
}

std::size_t PortPair::deviceReadSome(unsigned char* buffer, std::size_t size,
                                     std::chrono::milliseconds timeout)
{
    COMMTIMEOUTS t{};
    t.ReadTotalTimeoutConstant = static_cast<DWORD>(timeout.count());
    ::SetCommTimeouts(impl_->device, &t);
    DWORD n = 0;
    return ::ReadFile(impl_->device, buffer, static_cast<DWORD>(size), &n, nullptr) ? n : 0;
}

void PortPair::closeDevice()
{
    if (impl_->device != INVALID_HANDLE_VALUE) {
        ::CloseHandle(impl_->device);
        impl_->device = INVALID_HANDLE_VALUE;
    }
}

PortSettings PortPair::settings() const
{
    const HANDLE port = openPort(impl_->port);
    if (port == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("can't open " + impl_->port + " to read its settings");
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const BOOL ok = ::GetCommState(port, &dcb);
    ::CloseHandle(port);
    if (!ok) {
        throw std::runtime_error("GetCommState failed on " + impl_->port);
    }
    return {dcb.BaudRate, dcb.StopBits != ONESTOPBIT, dcb.fOutX && dcb.fInX, dcb.fOutxCtsFlow != 0};
}

std::string missingPortName()
{
    return "COM98";
}

}  // namespace kqtest
