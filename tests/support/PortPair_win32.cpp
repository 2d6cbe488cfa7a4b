#include "support/PortPair.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace kqtest {

namespace {

HANDLE openPort(const std::string& name) {
    return ::CreateFileA(("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void setReadTimeout(HANDLE port, DWORD ms) {
    COMMTIMEOUTS t;
    std::memset(&t, 0, sizeof t);
    t.ReadTotalTimeoutConstant = ms;
    ::SetCommTimeouts(port, &t);
}

}  // namespace

class PortPairImpl {
public:
    std::string port;
    std::string deviceName;
    HANDLE device = INVALID_HANDLE_VALUE;
};

// KQ_TEST_PORTS is "COMa,COMb", set by the wrapper that made the pseudo-terminal pair.
PortPair::PortPair() : impl(new PortPairImpl) {
    const char* ports = std::getenv("KQ_TEST_PORTS");
    const std::string list = ports ? ports : "";
    const std::size_t comma = list.find(',');
    if (comma == std::string::npos) {
        throw std::runtime_error("KQ_TEST_PORTS must name two COM ports, e.g. COM11,COM12");
    }
    impl->port = list.substr(0, comma);
    impl->deviceName = list.substr(comma + 1);
    impl->device = openPort(impl->deviceName);
    if (impl->device == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("can't open the device side " + impl->deviceName);
    }
    ::PurgeComm(impl->device, PURGE_TXCLEAR | PURGE_RXCLEAR);
}

PortPair::~PortPair() { closeDevice(); }

std::string PortPair::portName() const { return impl->port; }

void PortPair::deviceWrite(const std::vector<unsigned char>& bytes) {
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(impl->device, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                            nullptr));
    ASSERT_EQ(bytes.size(), written);
}

std::vector<unsigned char> PortPair::deviceRead(std::size_t count, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    std::vector<unsigned char> bytes(count);
    std::size_t got = 0;
    while (got < count) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            break;
        }
        setReadTimeout(impl->device, static_cast<DWORD>(left.count()));
        DWORD n = 0;
        if (!::ReadFile(impl->device, bytes.data() + got, static_cast<DWORD>(count - got), &n, nullptr)) {
            break;
        }
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

void PortPair::closeDevice() {
    if (impl->device != INVALID_HANDLE_VALUE) {
        ::CloseHandle(impl->device);
        impl->device = INVALID_HANDLE_VALUE;
    }
}

PortSettings PortPair::settings() const {
    const HANDLE port = openPort(impl->port);
    if (port == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("can't open " + impl->port + " to read its settings");
    }
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    const BOOL ok = ::GetCommState(port, &dcb);
    ::CloseHandle(port);
    if (!ok) {
        throw std::runtime_error("GetCommState failed on " + impl->port);
    }
    PortSettings s;
    s.baudRate = dcb.BaudRate;
    s.twoStopBits = dcb.StopBits != ONESTOPBIT;
    s.xonXoff = dcb.fOutX && dcb.fInX;
    s.rtsCts = dcb.fOutxCtsFlow != 0;
    return s;
}

std::string missingPortName() { return "COM98"; }

}  // namespace kqtest
