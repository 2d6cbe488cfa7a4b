#include <kq/detail/SystemError.h>
#include <kq/io/SerialIO.h>
#include <kq/io/detail/SerialIOImpl.h>
#include <kq/logger/detail/Levels.h>

#include <kq/StringUtils.h>

#include <stdexcept>

namespace kq {
namespace io {

namespace {

enum class Direction { Send, Recv };

void logStep(kq::logger::ILogger& logger, Direction direction, const unsigned char* bytes,
             unsigned int moved, unsigned int asked)
{
    // Tested first: a suppressed step costs no formatting.
    if (logger.level() < kq::logger::detail::DebugLevel) {
        return;
    }
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
    : config_(config), logger_(logger)
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
    const std::string& name = config_.deviceName();
    const unsigned long error = openHandle();
    if (error != 0) {
        logger_.info(
            kq::format("openDevice( '%s' ) failed: %ld", name.c_str(), static_cast<long>(error)));
        kq::detail::throwCantOpen(name, error);
    }
    logger_.info(kq::format("openDevice( '%s' ) OK", name.c_str()));
}

unsigned int SerialIOImpl::send(const unsigned char* data, unsigned int size)
{
    return transfer(logger_, Direction::Send, data, size,
                    [this](const unsigned char* p, unsigned int n) { return writeStep(p, n); });
}

unsigned int SerialIOImpl::recv(unsigned char* buffer, unsigned int size)
{
    return transfer(logger_, Direction::Recv, buffer, size,
                    [this](unsigned char* p, unsigned int n) { return readStep(p, n); });
}

SerialIO::SerialIO(const SerialConfig& config) : SerialIO(config, kq::logger::null()) {}

SerialIO::SerialIO(const SerialConfig& config, kq::logger::ILogger& logger)
    : impl_(std::make_unique<SerialIOImpl>(config, logger))
{
}

SerialIO::~SerialIO() = default;

SerialConfig& SerialIO::config()
{
    return impl_->config_;
}

void SerialIO::configure() const
{
    impl_->configure();
}

unsigned int SerialIO::send(const unsigned char* data, unsigned int size) const
{
    return impl_->send(data, size);
}

unsigned int SerialIO::recv(unsigned char* buffer, unsigned int size) const
{
    return impl_->recv(buffer, size);
}

unsigned int SerialIO::available() const
{
    return impl_->available();
}

void SerialIO::purge() const
{
    impl_->purge();
}

bool SerialIO::deviceLost() const
{
    return impl_->deviceLost();
}

std::vector<SerialDeviceData> enumerateSerialDevices()
{
    return {};
}

}  // namespace io
}  // namespace kq
