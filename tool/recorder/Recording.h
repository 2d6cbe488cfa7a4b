#pragma once

#include "portmon/PortMonWriter.h"

#include <kq/io/SerialConfig.h>

#include <cstddef>
#include <memory>
#include <string>

namespace quorvex {

// The line settings a program can be seen to change on a pseudo-terminal: Linux
// keeps 8 data bits and no parity there whatever the program asks.
struct LineState {
    unsigned int baudRate = 0;
    kq::io::StopBits stopBits = kq::io::StopBitsUnchanged;
    kq::io::FlowControl flow = kq::io::FlowUnchanged;
};

// Turns what happens between the program and the port into PortMon lines, and
// counts it for the summary.
class Recording {
public:
    // portName names the real port in every line; dataSize and parity complete
    // the line control lines.
    Recording(std::string fileName, std::string portName, kq::io::DataSize dataSize,
              kq::io::Parity parity);

    // Creates the log, replacing a file of that name: called once the ports are
    // open, so that a port that cannot be opened leaves an existing log alone.
    void start();

    // process: the program's name, empty when it is not known.
    void opened(const std::string& process);
    void closed();
    // The program wrote these bytes.
    void wrote(const unsigned char* bytes, std::size_t size);
    // These bytes from the device reached the program.
    void read(const unsigned char* bytes, std::size_t size);
    void purged(bool receive, bool transmit);
    // One line for each of rate, line control and handshake that differs.
    void changed(const LineState& from, const LineState& to);

    // "recorded: W writes (N bytes), R reads (N bytes), S settings changes, P purges"
    std::string summary() const;
    long opens() const { return opens_; }
    long closes() const { return closes_; }

private:
    void line(const char* request, const std::string& details);

    const std::string fileName_;
    std::unique_ptr<PortMonWriter> log_;
    const std::string port_;
    const kq::io::DataSize dataSize_;
    const kq::io::Parity parity_;
    std::string process_ = "unknown";
    long opens_ = 0, closes_ = 0;
    long writes_ = 0, writeBytes_ = 0, reads_ = 0, readBytes_ = 0, settings_ = 0, purges_ = 0;
};

}  // namespace quorvex
