#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace quorvex {

// One line as PortMon writes it and the strict reader reads it: sequence,
// seconds since the previous line with 8 decimals, process, request, port,
// SUCCESS and the details, each followed by a tab, and CR LF.
std::string portMonLine(long sequence, double elapsed, const std::string& process,
                        const std::string& request, const std::string& port,
                        const std::string& details);

// The details of a read or write: "Length 3: 0A 1B 2C".
std::string lengthDetails(const unsigned char* bytes, std::size_t size);

// Writes a PortMon log line by line. Every line is on its way to the disk when
// write() returns, so a writer killed at any moment leaves a log that reads to
// its last line; a line that cannot be written throws instead of leaving a
// silently short log.
class PortMonWriter {
public:
    // Creates the file, replacing one of that name. Throws "can't create ...".
    explicit PortMonWriter(const std::string& fileName);
    ~PortMonWriter();
    PortMonWriter(const PortMonWriter&) = delete;
    PortMonWriter& operator=(const PortMonWriter&) = delete;

    // Throws "can't write '<file>': <reason>".
    void write(const std::string& process, const char* request, const std::string& port,
               const std::string& details);
    // The same with lengthDetails(bytes, size), formatted where the line is.
    void writeBytes(const std::string& process, const char* request, const std::string& port,
                    const unsigned char* bytes, std::size_t size);

private:
    void begin(const std::string& process, const char* request, const std::string& port);
    void finish();

    std::FILE* file_;
    const std::string fileName_;
    long sequence_ = 0;
    std::chrono::steady_clock::time_point last_;
    // Kept from line to line, so that a line on the relay's path allocates nothing.
    std::string line_;
};

}  // namespace quorvex
