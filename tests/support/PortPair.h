#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace kqtest {

// Line settings of a port as the driver reports them. Data bits and parity
// are missing: a pseudo-terminal always reports 8 data bits without parity.
// baudRate is 0 when the input and output rates differ.
struct PortSettings {
    unsigned int baudRate;
    bool twoStopBits;
    bool xonXoff;
    bool rtsCts;
};

struct PortPairImpl;

// A serial port for SerialIO to open, connected to a device side that the test plays.
// Linux: a pseudo-terminal; the port is its slave "pts/N", the device its master.
// Windows (under Wine): the first port of a pair of KQ_TEST_PORTS (a socat pty
// pair) is the port, the second one the device; pair 1 is the third and fourth port.
class PortPair {
public:
    explicit PortPair(std::size_t pair = 0);
    ~PortPair();
    PortPair(const PortPair&) = delete;
    PortPair& operator=(const PortPair&) = delete;

    // The name SerialIO takes.
    std::string portName() const;

    void deviceWrite(const std::vector<unsigned char>& bytes);
    // Up to count bytes: fewer when the time-out ends first.
    std::vector<unsigned char> deviceRead(std::size_t count, std::chrono::milliseconds timeout);
    // The device goes away.
    void closeDevice();

    // The port's current line settings. On Windows the port must not be held
    // by a SerialIO at the time (it is opened exclusively to read them).
    PortSettings settings() const;

private:
    // Some of the bytes the device receives within the time-out; 0 when none arrive.
    std::size_t deviceReadSome(unsigned char* buffer, std::size_t size,
                               std::chrono::milliseconds timeout);

    std::unique_ptr<PortPairImpl> impl_;
};

// A port name that names no device.
std::string missingPortName();

// The two COM ports "COMa,COMb" of KQ_TEST_PORTS, set by the wrapper that maps
// pseudo-terminal pairs into Wine ("COMa,COMb,COMc,COMd": pair 1 is COMc,COMd);
// empty when it does not name that pair.
std::vector<std::string> testPorts(std::size_t pair = 0);

}  // namespace kqtest
