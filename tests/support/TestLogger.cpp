#include "support/TestLogger.h"

#include <atomic>
#include <string>
#include <utility>

namespace kqtest {

kq::logger::ILogger& uniqueLogger(std::shared_ptr<kq::logger::ILogChannel> channel, int level)
{
    static std::atomic<int> next{0};
    kq::logger::ILogger& logger =
        kq::logger::add("kqtest.logger." + std::to_string(next++), std::move(channel));
    logger.setLevel(level);
    return logger;
}

}  // namespace kqtest
