#include <kq/logger/SimpleFormatter.h>
#include <kq/logger/detail/LocalTime.h>

#include <kq/StringUtils.h>

#include <chrono>
#include <cstdint>
#include <ratio>
#include <vector>

namespace kq {
namespace logger {

namespace {

using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;

const std::int64_t TicksPerSecond = 10000000;
const std::int64_t TicksPerMillisecond = 10000;
const int NameWidth = 16;
const std::string ContinuationIndent(32, ' ');

std::int64_t ticksSince1970()
{
    return std::chrono::duration_cast<Ticks>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

SimpleFormatter::SimpleFormatter() = default;
SimpleFormatter::SimpleFormatter(const SimpleFormatter& other) = default;
SimpleFormatter::SimpleFormatter(SimpleFormatter&& other) noexcept = default;
SimpleFormatter& SimpleFormatter::operator=(const SimpleFormatter& other) = default;
SimpleFormatter& SimpleFormatter::operator=(SimpleFormatter&& other) noexcept = default;
SimpleFormatter::~SimpleFormatter() = default;

std::string SimpleFormatter::format(const std::string& loggerName, const std::string& message)
{
    // One clock reading gives both the time of day and its milliseconds.
    const std::int64_t ticks = ticksSince1970();
    const std::int64_t seconds = ticks / TicksPerSecond;
    const int milliseconds = static_cast<int>(ticks / TicksPerMillisecond - seconds * 1000);
    const std::tm local = detail::localTime(static_cast<std::time_t>(seconds));

    // The message text is appended, not formatted, so that zero bytes in it survive.
    const std::vector<std::string> lines = kq::SplitString(message, "\n", false);
    std::string result = kq::format("%02d:%02d:%02d.%03d [%-*s] ", local.tm_hour, local.tm_min,
                                    local.tm_sec, milliseconds, NameWidth, loggerName.c_str());
    result += lines.front() + "\n";
    for (size_t i = 1; i < lines.size(); ++i)
        result += ContinuationIndent + lines[i] + "\n";
    return result;
}

}  // namespace logger
}  // namespace kq
