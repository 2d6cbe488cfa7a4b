#pragma once

#include <kq/io/SerialConfig.h>
#include <kq/logger/Logger.h>

namespace kq {
namespace io {

// The open device behind SerialIO. Opening, logging and the transfer loops are
// shared; the members marked "per platform" live in SerialIO_posix.cpp and
// SerialIO_win32.cpp.
class SerialIOImpl {
public:
    // Opens the device and applies the configuration, or throws with the device closed.
    SerialIOImpl(const SerialConfig& config, kq::logger::ILogger& logger);
    ~SerialIOImpl();

    SerialIOImpl(const SerialIOImpl&) = delete;
    SerialIOImpl& operator=(const SerialIOImpl&) = delete;

    unsigned int send(const unsigned char* data, unsigned int size);
    unsigned int recv(unsigned char* buffer, unsigned int size);

    // Per platform.
    void configure();
    unsigned int available();
    void purge();
    bool deviceLost();

    SerialConfig config_;

private:
    void openDevice();

    // Per platform. openHandle returns 0 or the system's error code.
    unsigned long openHandle();
    void closeHandle();
    // One driver write or read; 0 when it failed or moved nothing.
    unsigned int writeStep(const unsigned char* data, unsigned int size);
    unsigned int readStep(unsigned char* buffer, unsigned int size);

    kq::logger::ILogger& logger_;
#if defined(_WIN32)
    void* device_;  // HANDLE
#else
    void setBlocking(bool blocking);

    int device_;
    // The descriptor's status flags as last set: O_NONBLOCK is off only while sending
    // without a write time-out.
    int statusFlags_;
    // False for a pseudo-terminal: what it accepted is already at the other end.
    bool hasOutputQueue_;
    // The time-outs applied by the last configure(): the driver has no place for them.
    SerialTimeouts timeouts_;
#endif
};

}  // namespace io
}  // namespace kq
