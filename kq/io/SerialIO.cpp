#include <kq/io/SerialIO.h>
#include <kq/io/SerialIOImpl.h>

#include <kq/StringUtils.h>

#include <stdexcept>

namespace kq {
namespace io {

namespace {

enum class Direction { Send, Recv };

void logStep(kq::logger::ILogger& logger, Direction direction, const unsigned char* bytes,
             unsigned int moved, unsigned int asked)
{
    const long n = static_cast<long>(moved);
    const long of = static_cast<long>(asked);
    std::string message;
    if (direction == Direction::Send) {
        message = moved == asked ? kq::format("send -> [ %ld ]: ", n)
                                 : kq::format("send -> [ %ld of %ld ]: ", n, of);
    } else {
        message = moved == asked ? kq::format("recv <- [ %ld ]: ", n)
                                 : kq::format("recv <- [ %ld of %ld ]: ", n, of);
    }
    logger.debugDump(message, bytes, moved);
}

// Repeats a driver step on what is still outstanding until everything has
// moved or a step moves nothing; each step is logged against what was
// outstanding when it started.
template <typename Byte, typename Step>
unsigned int transfer(kq::logger::ILogger& logger, Direction direction, Byte* bytes,
                      unsigned int size, Step step)
{
    unsigned int total = 0;
    while (total < size) {
        const unsigned int outstanding = size - total;
        const unsigned int moved = step(bytes + total, outstanding);
        if (moved == 0) {
            break;
        }
        logStep(logger, direction, bytes + total, moved, outstanding);
        total += moved;
    }
    return total;
}

}  // namespace

SerialIOImpl::SerialIOImpl(const SerialConfig& config, kq::logger::ILogger& logger)
    : config(config), logger(logger)
{
    openDevice();
    try {
        configure();
    } catch (...) {
        closeHandle();
        throw;
    }
}

SerialIOImpl::~SerialIOImpl()
{
    closeHandle();
}

void SerialIOImpl::openDevice()
{
    const std::string& name = config.deviceName();
    const unsigned long error = openHandle();
    if (error != 0) {
        logger.info(
            kq::format("openDevice( '%s' ) failed: %ld", name.c_str(), static_cast<long>(error)));
        throw std::runtime_error(kq::format("can't open '%s'. error = %lu", name.c_str(), error));
    }
    logger.info(kq::format("openDevice( '%s' ) OK", name.c_str()));
}

unsigned int SerialIOImpl::send(const unsigned char* data, unsigned int size)
{
    return transfer(logger, Direction::Send, data, size,
                    [this](const unsigned char* p, unsigned int n) { return writeStep(p, n); });
}

unsigned int SerialIOImpl::recv(unsigned char* buffer, unsigned int size)
{
    return transfer(logger, Direction::Recv, buffer, size,
                    [this](unsigned char* p, unsigned int n) { return readStep(p, n); });
}

SerialIO::SerialIO(const SerialConfig& config) : SerialIO(config, kq::logger::null()) {}

SerialIO::SerialIO(const SerialConfig& config, kq::logger::ILogger& logger)
    : impl(new SerialIOImpl(config, logger))
{
}

SerialIO::~SerialIO() = default;

SerialConfig& SerialIO::config()
{
    return impl->config;
}

void SerialIO::configure() const
{
    impl->configure();
}

unsigned int SerialIO::send(const unsigned char* data, unsigned int size) const
{
    return impl->send(data, size);
}

unsigned int SerialIO::recv(unsigned char* buffer, unsigned int size) const
{
    return impl->recv(buffer, size);
}

unsigned int SerialIO::available() const
{
    return impl->available();
}

void SerialIO::purge() const
{
    impl->purge();
}

bool SerialIO::deviceLost() const
{
    return impl->deviceLost();
}

std::vector<SerialDeviceData> enumerateSerialDevices()
{
    return {};
}

}  // namespace io
}  // namespace kq
