#include "DevicePort.h"

#include "common/Console.h"
#include "common/Deadline.h"
#include "common/LineSettings.h"

#include <kq/io/SerialIO.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace quorvex {

namespace {

// The loader's line; reads return at once with what is waiting, a write gives up
// after the time-out.
kq::io::SerialConfig deviceConfig(const std::string& deviceName,
                                  std::chrono::milliseconds writeTimeout)
{
    kq::io::SerialConfig config = fixedLineSettings(deviceName);
    config.setCommTimeouts(kq::io::SerialTimeouts{
        0xFFFFFFFF, 0, 0, static_cast<unsigned int>(writeTimeout.count()), 0});
    config.setBuffersSize(kq::io::SerialBuffersSize{4096, 4096});
    return config;
}

// A serial line shows neither the host's opening nor its closing of the port,
// nor its reading: only the bytes it sends.
class SerialDevicePort : public DevicePort {
public:
    SerialDevicePort(const std::string& deviceName, std::chrono::milliseconds writeTimeout)
        : deviceName_(deviceName), port_(deviceConfig(deviceName, writeTimeout))
    {
    }

    std::string name() const override { return deviceName_; }

    bool awaitHostOpen(std::chrono::milliseconds) override { return true; }

    // SerialIO has no wait for data: check the input queue every 10 ms until the deadline.
    std::size_t read(unsigned char* buffer, std::size_t size,
                     std::chrono::milliseconds timeout) override
    {
        const Deadline deadline(timeout);
        for (;;) {
            const unsigned int waiting = port_.available();
            if (waiting > 0) {
                return port_.recv(buffer, std::min(waiting, static_cast<unsigned int>(size)));
            }
            if (port_.deviceLost()) {
                throw HostGone(deviceName_ + " has gone away");
            }
            if (deadline.passed()) {
                return 0;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // The time-out was given to the port when it was opened.
    std::size_t write(const std::vector<unsigned char>& data, std::chrono::milliseconds) override
    {
        return port_.send(data.data(), static_cast<unsigned int>(data.size()));
    }

    bool hostActed() override { return false; }

    bool seesFlushes() const override { return false; }
    long flushes() override { return 0; }
    void awaitFlush(long, std::chrono::milliseconds timeout) override
    {
        std::this_thread::sleep_for(timeout);
    }

    // Closing the port does not discard what the driver has already accepted.
    void awaitHostClose(std::chrono::milliseconds) override {}

private:
    const std::string deviceName_;
    kq::io::SerialIO port_;
};

}  // namespace

std::unique_ptr<DevicePort> openSerialPort(const std::string& deviceName,
                                           std::chrono::milliseconds writeTimeout)
{
    return std::make_unique<SerialDevicePort>(deviceName, writeTimeout);
}

}  // namespace quorvex
