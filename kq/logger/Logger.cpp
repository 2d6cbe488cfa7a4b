#include <kq/logger/Logger.h>

#include <utility>

namespace kq {
namespace logger {

IMessageFormatter::~IMessageFormatter() = default;
ILogChannel::~ILogChannel() = default;
ILogger::~ILogger() = default;

AbstractLogChannel::AbstractLogChannel() = default;
AbstractLogChannel::AbstractLogChannel(const AbstractLogChannel& other) = default;
AbstractLogChannel& AbstractLogChannel::operator=(const AbstractLogChannel& other) = default;

// A moved-from channel is left without a formatter and so writes nothing.
AbstractLogChannel::AbstractLogChannel(AbstractLogChannel&& other) noexcept
    : formatter_(std::move(other.formatter_))
{
    other.formatter_.reset();
}

AbstractLogChannel& AbstractLogChannel::operator=(AbstractLogChannel&& other) noexcept
{
    if (this != &other) {
        formatter_ = std::move(other.formatter_);
        other.formatter_.reset();
    }
    return *this;
}

AbstractLogChannel::~AbstractLogChannel() = default;

void AbstractLogChannel::setFormatter(std::shared_ptr<IMessageFormatter> newFormatter)
{
    formatter_ = std::move(newFormatter);
}

void AbstractLogChannel::setProperty(const std::string&, const std::string&) {}

void NullLogChannel::write(const std::string&, const std::string&) {}

}  // namespace logger
}  // namespace kq
