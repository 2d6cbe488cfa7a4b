#pragma once

#include <kq/logger/Logger.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A logger of its own for one test: registered under a name no other test uses,
// it keeps the first line of every message written through it.
class LogCapture {
public:
    explicit LogCapture(int level);

    kq::logger::ILogger& logger() { return *logger_; }
    const std::vector<std::string>& lines() const { return channel->lines; }
    // Called after each message is kept, on the thread that logged it.
    void onWrite(std::function<void(const std::string&)> hook) { channel->hook = std::move(hook); }

private:
    struct Channel : kq::logger::AbstractLogChannel {
        void write(const std::string& loggerName, const std::string& message) override;
        std::vector<std::string> lines;
        std::function<void(const std::string&)> hook;
    };

    std::shared_ptr<Channel> channel;
    kq::logger::ILogger* logger_;
};
