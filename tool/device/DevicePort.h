#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvex {

// The host closed its end of the line while the device still had work.
class HostGone : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The device end of a serial line, as the simulator sees it.
class DevicePort {
public:
    virtual ~DevicePort() = default;

    // The name to give QuorvexLoader's -s= option.
    virtual std::string name() const = 0;
    // Waits, at most timeout, until the host has opened its end; false when it
    // did not. Where that cannot be seen, true at once.
    virtual bool awaitHostOpen(std::chrono::milliseconds timeout) = 0;
    // Up to size bytes; waits at most timeout for the first one. 0 when none
    // came. Throws HostGone once the host has closed its end.
    virtual std::size_t read(unsigned char* buffer, std::size_t size,
                             std::chrono::milliseconds timeout) = 0;
    // Writes what the line takes within the time-out; returns how many bytes.
    virtual std::size_t write(const std::vector<unsigned char>& data,
                              std::chrono::milliseconds timeout) = 0;
    // True when the host did something since the last call that read() does not
    // show, such as reading what was written to it.
    virtual bool hostActed() = 0;
    // Whether flushes() shows the host's purges; where it does not, it stays 0.
    virtual bool seesFlushes() const = 0;
    // How many purges of its input queue the host has made so far. A purge shows
    // as one or more flushes in quick succession, counted as one.
    virtual long flushes() = 0;
    // Waits, at most timeout, until flushes() exceeds seen; what the host sends
    // meanwhile is kept for read(). Throws HostGone once the host has closed its end.
    virtual void awaitFlush(long seen, std::chrono::milliseconds timeout) = 0;
    // Waits, at most timeout, until the host has closed its end, so that closing
    // this end loses nothing the host has not read yet.
    virtual void awaitHostClose(std::chrono::milliseconds timeout) = 0;
};

// A serial device opened by name, as QuorvexLoader opens its own. A write that
// the line does not take within writeTimeout ends short.
std::unique_ptr<DevicePort> openSerialPort(const std::string& deviceName,
                                           std::chrono::milliseconds writeTimeout);

// A new raw pseudo-terminal: the simulator keeps the master, the loader opens
// the terminal named by name(). Throws where the system has none.
std::unique_ptr<DevicePort> openPseudoTerminal();

}  // namespace quorvex
