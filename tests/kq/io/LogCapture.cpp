#include "LogCapture.h"

#include <atomic>

LogCapture::LogCapture(int level) : channel(std::make_shared<Channel>()) {
    static std::atomic<int> next{0};
    logger_ = &kq::logger::add("io.capture." + std::to_string(next++), channel);
    logger_->setLevel(level);
}

void LogCapture::Channel::write(const std::string&, const std::string& message) {
    lines.push_back(message.substr(0, message.find('\n')));
    if (hook) {
        hook(lines.back());
    }
}
