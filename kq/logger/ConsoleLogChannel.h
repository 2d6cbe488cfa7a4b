#pragma once

#include <kq/export.h>
#include <kq/logger/Logger.h>

#include <string>

namespace kq {
namespace logger {

// Writes each formatted message to std::clog. One process-wide lock, shared by every
// console channel, keeps the messages of all threads whole.
class KQ_API ConsoleLogChannel : public AbstractLogChannel {
public:
    ConsoleLogChannel();
    ConsoleLogChannel(const ConsoleLogChannel& other);
    ConsoleLogChannel(ConsoleLogChannel&& other) noexcept;
    ConsoleLogChannel& operator=(const ConsoleLogChannel& other);
    ConsoleLogChannel& operator=(ConsoleLogChannel&& other) noexcept;
    ~ConsoleLogChannel() override;

    // Writes nothing while no formatter is installed.
    void write(const std::string& loggerName, const std::string& message) override;
};

// The message and one line feed; the logger name is not shown.
class KQ_API ConsoleFormatter : public IMessageFormatter {
public:
    ConsoleFormatter();
    ConsoleFormatter(const ConsoleFormatter& other);
    ConsoleFormatter(ConsoleFormatter&& other) noexcept;
    ConsoleFormatter& operator=(const ConsoleFormatter& other);
    ConsoleFormatter& operator=(ConsoleFormatter&& other) noexcept;
    ~ConsoleFormatter() override;

    std::string format(const std::string& loggerName, const std::string& message) override;
};

}  // namespace logger
}  // namespace kq
