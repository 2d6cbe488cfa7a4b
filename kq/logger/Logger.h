#pragma once

#include <kq/export.h>

#include <memory>
#include <string>

namespace kq {
namespace logger {

// Lays out one message of a named logger; the result includes its line ends.
class KQ_API IMessageFormatter {
public:
    virtual ~IMessageFormatter();
    virtual std::string format(const std::string& loggerName, const std::string& message) = 0;
};

// A destination of log messages.
class KQ_API ILogChannel {
public:
    virtual ~ILogChannel();
    virtual void write(const std::string& loggerName, const std::string& message) = 0;
    virtual void setFormatter(std::shared_ptr<IMessageFormatter> formatter) = 0;
    virtual void setProperty(const std::string& key, const std::string& value) = 0;
};

// Base of the concrete channels: keeps the formatter, ignores every property.
class KQ_API AbstractLogChannel : public ILogChannel {
public:
    AbstractLogChannel();
    AbstractLogChannel(const AbstractLogChannel& other);
    AbstractLogChannel(AbstractLogChannel&& other) noexcept;
    AbstractLogChannel& operator=(const AbstractLogChannel& other);
    AbstractLogChannel& operator=(AbstractLogChannel&& other) noexcept;
    ~AbstractLogChannel() override;

    void setFormatter(std::shared_ptr<IMessageFormatter> formatter) override;
    void setProperty(const std::string& key, const std::string& value) override;

protected:
    std::shared_ptr<IMessageFormatter> formatter_;
};

// Writes nothing at all.
class KQ_API NullLogChannel : public AbstractLogChannel {
public:
    void write(const std::string& loggerName, const std::string& message) override;
};

// Logging handle. Level below 0: silent; 0: info family; 1 and above: debug family too.
class KQ_API ILogger {
public:
    virtual ~ILogger();
    virtual std::shared_ptr<ILogChannel> channel() = 0;
    virtual void setChannel(std::shared_ptr<ILogChannel> channel) = 0;
    virtual int level() = 0;
    virtual void setLevel(int level) = 0;
    virtual void info(const std::string& message) = 0;
    virtual void infoDump(const std::string& message, const void* data, unsigned size) = 0;
    virtual void infoHex(const std::string& message, const void* data, unsigned size) = 0;
    virtual void debug(const std::string& message) = 0;
    virtual void debugDump(const std::string& message, const void* data, unsigned size) = 0;
    virtual void debugHex(const std::string& message, const void* data, unsigned size) = 0;
};

// The process-wide registry of loggers found by dotted names.
KQ_API ILogger& add(const std::string& name, std::shared_ptr<ILogChannel> channel);
KQ_API ILogger& get(const std::string& name);
KQ_API ILogger& root();
KQ_API ILogger& null();
KQ_API void shutdown();

}  // namespace logger
}  // namespace kq
