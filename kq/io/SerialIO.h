#pragma once

#include <kq/export.h>
#include <kq/io/SerialConfig.h>
#include <kq/logger/Logger.h>

#include <memory>
#include <string>
#include <vector>

namespace kq {
namespace io {

// One serial device as enumerateSerialDevices() would describe it.
struct KQ_API SerialDeviceData {
    std::string name;
    std::string description;
};

// Always empty: devices are named by the caller.
KQ_API std::vector<SerialDeviceData> enumerateSerialDevices();

class SerialIOImpl;

// An open serial device, held exclusively from construction to destruction.
//
// The device is "\\.\<name>" on Windows and "/dev/<name>" on Linux. On Linux
// exclusivity is an flock() on the open file plus TIOCEXCL, so a second
// SerialIO on the same device fails even for root; that failure reports
// EBUSY. Time-outs keep their Windows COMMTIMEOUTS meaning on both platforms:
// all zero blocks until the whole count has moved; a read interval of
// 0xFFFFFFFF with both read totals 0 returns at once with what is waiting. On
// Linux the queue sizes have no driver setting and are not applied.
//
// Opening and configuring throw std::runtime_error; a transfer that fails, or
// a device that went away, makes send/recv return what moved so far.
class KQ_API SerialIO {
public:
    explicit SerialIO(const SerialConfig& config);
    // The logger must outlive this object: open attempts go to info(),
    // every completed transfer step to debugDump().
    SerialIO(const SerialConfig& config, kq::logger::ILogger& logger);
    ~SerialIO();

    SerialIO(const SerialIO&) = delete;
    SerialIO& operator=(const SerialIO&) = delete;

    // This object's own copy; changes take effect at the next configure().
    SerialConfig& config();
    // Applies the line settings that are set, the time-outs and the queue sizes.
    void configure() const;

    unsigned int send(const unsigned char* data, unsigned int size) const;
    unsigned int recv(unsigned char* buffer, unsigned int size) const;
    // Bytes waiting in the driver's input queue; 0 when that cannot be read.
    unsigned int available() const;
    // Discards both driver queues.
    void purge() const;
    // True once the device has gone away (unplugged, hung up, the far end of a
    // pseudo-terminal closed): then no transfer can succeed again.
    bool deviceLost() const;

private:
    std::unique_ptr<SerialIOImpl> impl_;
};

}  // namespace io
}  // namespace kq
