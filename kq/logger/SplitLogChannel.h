#pragma once

#include <kq/export.h>
#include <kq/logger/Logger.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kq {
namespace logger {

// Forwards every message, unformatted, to its channels in the order they were added.
// Must not contain itself, directly or through another split channel: its lock is not
// recursive, so such a write throws std::logic_error instead of deadlocking.
class KQ_API SplitLogChannel : public AbstractLogChannel {
public:
    SplitLogChannel();
    ~SplitLogChannel() override;
    SplitLogChannel(const SplitLogChannel&) = delete;
    SplitLogChannel& operator=(const SplitLogChannel&) = delete;

    // The same channel may be added twice and then gets every message twice. An empty
    // pointer is skipped: it stands for a channel that writes nothing.
    void add(std::shared_ptr<ILogChannel> channel);

    // A child that throws stops the message: later children do not receive it.
    void write(const std::string& loggerName, const std::string& message) override;

private:
    std::vector<std::shared_ptr<ILogChannel>> channels_;
    std::mutex lock_;
};

}  // namespace logger
}  // namespace kq
