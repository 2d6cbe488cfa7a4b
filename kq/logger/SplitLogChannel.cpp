#include <kq/logger/SplitLogChannel.h>

namespace kq {
namespace logger {

SplitLogChannel::SplitLogChannel() = default;
SplitLogChannel::~SplitLogChannel() = default;

void SplitLogChannel::add(std::shared_ptr<ILogChannel> channel)
{
    if (!channel)
        return;
    std::lock_guard<std::mutex> guard(lock);
    channels.push_back(std::move(channel));
}

void SplitLogChannel::write(const std::string& loggerName, const std::string& message)
{
    std::lock_guard<std::mutex> guard(lock);
    for (const std::shared_ptr<ILogChannel>& entry : channels) {
        const std::shared_ptr<ILogChannel> child = entry;
        child->write(loggerName, message);
    }
}

}  // namespace logger
}  // namespace kq
