#include <kq/logger/SplitLogChannel.h>

#include <algorithm>
#include <stdexcept>

namespace kq {
namespace logger {

namespace {

// The split channels writing on this thread, outermost first. A channel that meets itself
// here contains itself; taking its lock again would deadlock, so that is refused.
thread_local std::vector<const SplitLogChannel*> writingChannels;

class WritingMark {
public:
    explicit WritingMark(const SplitLogChannel* channel)
    {
        if (std::find(writingChannels.begin(), writingChannels.end(), channel) !=
            writingChannels.end()) {
            throw std::logic_error("SplitLogChannel::write: the channel contains itself");
        }
        writingChannels.push_back(channel);
    }
    ~WritingMark() { writingChannels.pop_back(); }
    WritingMark(const WritingMark&) = delete;
    WritingMark& operator=(const WritingMark&) = delete;
};

}  // namespace

SplitLogChannel::SplitLogChannel() = default;
SplitLogChannel::~SplitLogChannel() = default;

void SplitLogChannel::add(std::shared_ptr<ILogChannel> channel)
{
    if (!channel) {
        return;
    }
    std::lock_guard<std::mutex> guard(lock_);
    channels_.push_back(std::move(channel));
}

void SplitLogChannel::write(const std::string& loggerName, const std::string& message)
{
    const WritingMark mark(this);
    std::lock_guard<std::mutex> guard(lock_);
    for (const std::shared_ptr<ILogChannel>& entry : channels_) {
        const std::shared_ptr<ILogChannel> child = entry;
        child->write(loggerName, message);
    }
}

}  // namespace logger
}  // namespace kq
