#pragma once

#include <kq/logger/Logger.h>

#include <memory>
#include <string>

namespace kq {
namespace logger {

// The one logger kind: hands each message that its level lets through to its channel.
class LoggerImpl : public ILogger {
public:
    // An empty channel pointer stands for a channel that writes nothing.
    LoggerImpl(const std::string& name, std::shared_ptr<ILogChannel> channel);

    std::shared_ptr<ILogChannel> channel() override;
    void setChannel(std::shared_ptr<ILogChannel> channel) override;
    int level() override;
    void setLevel(int level) override;
    void info(const std::string& message) override;
    void infoDump(const std::string& message, const void* data, unsigned size) override;
    void infoHex(const std::string& message, const void* data, unsigned size) override;
    void debug(const std::string& message) override;
    void debugDump(const std::string& message, const void* data, unsigned size) override;
    void debugHex(const std::string& message, const void* data, unsigned size) override;

private:
    std::string name_;
    int level_;
    std::shared_ptr<ILogChannel> channel_;
};

}  // namespace logger
}  // namespace kq
