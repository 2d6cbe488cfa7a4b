#include <kq/logger/ConsoleLogChannel.h>

#include <iostream>
#include <mutex>

namespace kq {
namespace logger {

namespace {

std::mutex consoleLock;

}  // namespace

ConsoleLogChannel::ConsoleLogChannel() = default;
ConsoleLogChannel::ConsoleLogChannel(const ConsoleLogChannel& other) = default;
ConsoleLogChannel::ConsoleLogChannel(ConsoleLogChannel&& other) noexcept = default;
ConsoleLogChannel& ConsoleLogChannel::operator=(const ConsoleLogChannel& other) = default;
ConsoleLogChannel& ConsoleLogChannel::operator=(ConsoleLogChannel&& other) noexcept = default;
ConsoleLogChannel::~ConsoleLogChannel() = default;

void ConsoleLogChannel::write(const std::string& loggerName, const std::string& message)
{
    if (!formatter_) {
        return;
    }
    // Formatting and insertion form one unit, so messages of other threads cannot split it.
    std::lock_guard<std::mutex> guard(consoleLock);
    std::clog << formatter_->format(loggerName, message);
}

ConsoleFormatter::ConsoleFormatter() = default;
ConsoleFormatter::ConsoleFormatter(const ConsoleFormatter& other) = default;
ConsoleFormatter::ConsoleFormatter(ConsoleFormatter&& other) noexcept = default;
ConsoleFormatter& ConsoleFormatter::operator=(const ConsoleFormatter& other) = default;
ConsoleFormatter& ConsoleFormatter::operator=(ConsoleFormatter&& other) noexcept = default;
ConsoleFormatter::~ConsoleFormatter() = default;

std::string ConsoleFormatter::format(const std::string&, const std::string& message)
{
    return message + "\n";
}

}  // namespace logger
}  // namespace kq
