#pragma once

#include <kq/export.h>

#include <string>

namespace kq {
namespace io {

// In every line setting the value 0 leaves the driver's current setting alone.
// The numeric values are part of the exported interface. The fixed 32-bit type
// lets a setting hold any value, as the setters store values unchecked.

enum DataSize : int {
    DataBitsUnchanged = 0,
    DataBits5 = 1,
    DataBits6 = 2,
    DataBits7 = 3,
    DataBits8 = 4
};

enum Parity : int { ParityUnchanged = 0, ParityEven = 1, ParityOdd = 2, ParityNone = 3 };

// StopBitsOneAndHalf: on Linux termios has no setting of its own for it; it
// selects two stop bits (CSTOPB), which the serial drivers send as 1.5 stop
// bits with 5 data bits, as Windows does.
enum StopBits : int {
    StopBitsUnchanged = 0,
    StopBitsOne = 1,
    StopBitsOneAndHalf = 2,
    StopBitsTwo = 3
};

// Software is XON/XOFF, hardware is RTS/CTS.
enum FlowControl : int { FlowUnchanged = 0, FlowOff = 1, FlowSoftware = 2, FlowHardware = 3 };

// Driver time-outs in milliseconds (multipliers: milliseconds per byte), with
// the meaning of the Windows COMMTIMEOUTS members. Filled positionally, so the
// order (constant before multiplier) is binding.
struct SerialTimeouts {
    unsigned int readIntervalTimeout;
    unsigned int readTotalTimeoutConstant;
    unsigned int readTotalTimeoutMultiplier;
    unsigned int writeTotalTimeoutConstant;
    unsigned int writeTotalTimeoutMultiplier;
};

// Driver queue sizes in bytes, handed to the driver as they stand.
struct SerialBuffersSize {
    unsigned int inputSize;
    unsigned int outputSize;
};

// Which serial device to open and which of its settings to change.
class KQ_API SerialConfig {
public:
    // Empty device name; every line setting, time-out and queue size 0.
    SerialConfig();
    SerialConfig(const SerialConfig& other);
    SerialConfig(SerialConfig&& other) noexcept;
    SerialConfig& operator=(const SerialConfig& other);
    SerialConfig& operator=(SerialConfig&& other) noexcept;
    ~SerialConfig();

    // Without any prefix: COM1 on Windows, ttyUSB0 or pts/3 (below /dev) on Linux.
    const std::string& deviceName() const;
    void setDeviceName(const std::string& name);

    unsigned int baudRate() const;
    void setBaudRate(unsigned int rate);

    DataSize dataSize() const;
    void setDataSize(DataSize size);

    Parity parity() const;
    void setParity(Parity parity);

    StopBits stopBits() const;
    void setStopBits(StopBits stopBits);

    FlowControl flowControl() const;
    void setFlowControl(FlowControl flow);

    const SerialTimeouts& commTimeouts() const;
    void setCommTimeouts(const SerialTimeouts& timeouts);

    const SerialBuffersSize& buffersSize() const;
    void setBuffersSize(const SerialBuffersSize& sizes);

    // One line of name=value items separated by ";", only the settings that
    // are set: baud, data, device, flow, parity, stop. Time-outs and queue
    // sizes are not part of it.
    std::string toString() const;
    // The reverse of toString; time-outs and queue sizes come out 0. Unknown
    // names and words leave their field at 0. A "baud" or "data" value that is
    // not a whole decimal number throws std::logic_error, one beyond the
    // signed 32-bit range std::range_error.
    static SerialConfig fromString(const std::string& text);

private:
    std::string deviceName_;
    unsigned int baudRate_;
    DataSize dataSize_;
    Parity parity_;
    StopBits stopBits_;
    FlowControl flowControl_;
    SerialTimeouts commTimeouts_;
    SerialBuffersSize buffersSize_;
};

}  // namespace io
}  // namespace kq
