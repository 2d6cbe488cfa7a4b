#include <kq/logger/detail/Levels.h>
#include <kq/logger/detail/LoggerImpl.h>

#include <kq/NumberFormatter.h>
#include <kq/StringUtils.h>

namespace kq {
namespace logger {

namespace {

const int DumpBytesPerLine = 16;

std::shared_ptr<ILogChannel> orNullChannel(std::shared_ptr<ILogChannel> channel)
{
    if (channel) {
        return channel;
    }
    return std::make_shared<NullLogChannel>();
}

std::string dumpText(const std::string& message, const void* data, unsigned size)
{
    return kq::format("%s\n%s", message.c_str(),
                      NumberFormatter::formatBuffer(data, size, DumpBytesPerLine).c_str());
}

}  // namespace

LoggerImpl::LoggerImpl(const std::string& name, std::shared_ptr<ILogChannel> channel)
    : name_(name), level_(0), channel_(orNullChannel(std::move(channel)))
{
}

std::shared_ptr<ILogChannel> LoggerImpl::channel()
{
    return channel_;
}

void LoggerImpl::setChannel(std::shared_ptr<ILogChannel> channel)
{
    channel_ = orNullChannel(std::move(channel));
}

int LoggerImpl::level()
{
    return level_;
}

void LoggerImpl::setLevel(int level)
{
    level_ = level;
}

// Every operation tests the level first, so a suppressed call never touches its data.

void LoggerImpl::info(const std::string& message)
{
    if (level_ >= detail::InfoLevel) {
        channel_->write(name_, message);
    }
}

void LoggerImpl::infoDump(const std::string& message, const void* data, unsigned size)
{
    if (level_ >= detail::InfoLevel) {
        channel_->write(name_, dumpText(message, data, size));
    }
}

void LoggerImpl::infoHex(const std::string& message, const void* data, unsigned size)
{
    if (level_ >= detail::InfoLevel) {
        channel_->write(name_, kq::format("%s: %s", message.c_str(),
                                          NumberFormatter::buffer2stringU2(data, size).c_str()));
    }
}

void LoggerImpl::debug(const std::string& message)
{
    if (level_ >= detail::DebugLevel) {
        channel_->write(name_, message);
    }
}

void LoggerImpl::debugDump(const std::string& message, const void* data, unsigned size)
{
    if (level_ >= detail::DebugLevel) {
        channel_->write(name_, dumpText(message, data, size));
    }
}

void LoggerImpl::debugHex(const std::string& message, const void* data, unsigned size)
{
    if (level_ >= detail::DebugLevel) {
        channel_->write(name_, kq::format("%s %s", message.c_str(),
                                          NumberFormatter::buffer2stringU2(data, size).c_str()));
    }
}

}  // namespace logger
}  // namespace kq
