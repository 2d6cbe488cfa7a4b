#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace quorvex {

// The device end of a serial line, as the simulator sees it.
class DevicePort {
public:
    virtual ~DevicePort() = default;

    // The name to give QuorvexLoader's -s= option.
    virtual std::string name() const = 0;
    // Up to size bytes; waits at most timeout for the first one. 0 when none came.
    virtual std::size_t read(unsigned char* buffer, std::size_t size,
                             std::chrono::milliseconds timeout) = 0;
    // Writes every byte; throws std::runtime_error when the line refuses them.
    virtual void write(const std::vector<unsigned char>& data) = 0;
    // Waits, at most timeout, until the host has closed its end, so that closing
    // this end loses nothing the host has not read yet.
    virtual void awaitHostClose(std::chrono::milliseconds timeout) = 0;
};

// A serial device opened by name, as QuorvexLoader opens its own.
std::unique_ptr<DevicePort> openSerialPort(const std::string& deviceName);

// A new raw pseudo-terminal: the simulator keeps the master, the loader opens
// the terminal named by name(). Throws where the system has none.
std::unique_ptr<DevicePort> openPseudoTerminal();

}  // namespace quorvex
