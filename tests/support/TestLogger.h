#pragma once

#include <kq/logger/Logger.h>

#include <memory>

namespace kqtest {

// A logger of its own for one test, writing to channel at level, under a name no other
// logger of this process uses.
kq::logger::ILogger& uniqueLogger(std::shared_ptr<kq::logger::ILogChannel> channel, int level);

}  // namespace kqtest
