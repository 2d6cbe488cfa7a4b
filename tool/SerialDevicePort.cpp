#include "DevicePort.h"

#include "Console.h"
#include "LineSettings.h"

#include <kq/io/SerialIO.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace quorvex {

namespace {

// The loader's line; reads return at once with what is waiting.
kq::io::SerialConfig deviceConfig(const std::string& deviceName)
{
    kq::io::SerialConfig config = fixedLineSettings(deviceName);
    config.setCommTimeouts(kq::io::SerialTimeouts{0xFFFFFFFF, 0, 0, 0, 0});
    config.setBuffersSize(kq::io::SerialBuffersSize{4096, 4096});
    return config;
}

class SerialDevicePort : public DevicePort {
public:
    explicit SerialDevicePort(const std::string& deviceName)
        : deviceName_(deviceName), port_(deviceConfig(deviceName))
    {
    }

    std::string name() const override { return deviceName_; }

    // SerialIO has no wait for data: check the input queue every 10 ms until the deadline.
    std::size_t read(unsigned char* buffer, std::size_t size,
                     std::chrono::milliseconds timeout) override
    {
        const Deadline deadline(timeout);
        for (;;) {
            const unsigned int waiting = port_.available();
            if (waiting > 0)
                return port_.recv(buffer, std::min(waiting, static_cast<unsigned int>(size)));
            if (deadline.passed())
                return 0;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    void write(const std::vector<unsigned char>& data) override
    {
        const auto size = static_cast<unsigned int>(data.size());
        if (port_.send(data.data(), size) != size)
            throw std::runtime_error("serial write incomplete on '" + name() + "'");
    }

    // A serial line cannot tell; closing it does not discard what the driver
    // has already accepted for sending.
    void awaitHostClose(std::chrono::milliseconds) override {}

private:
    const std::string deviceName_;
    kq::io::SerialIO port_;
};

}  // namespace

std::unique_ptr<DevicePort> openSerialPort(const std::string& deviceName)
{
    return std::make_unique<SerialDevicePort>(deviceName);
}

}  // namespace quorvex
