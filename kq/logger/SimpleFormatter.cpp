#include <kq/logger/SimpleFormatter.h>
#include <kq/logger/detail/LocalTime.h>

#include <kq/StringUtils.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <ratio>

namespace kq {
namespace logger {

namespace {

using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;

const std::int64_t TicksPerSecond = 10000000;
const std::int64_t TicksPerMillisecond = 10000;
const size_t NameWidth = 16;
const std::string ContinuationIndent(32, ' ');

std::int64_t ticksSince1970()
{
    return std::chrono::duration_cast<Ticks>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool inRange(int value, int max)
{
    return value >= 0 && value <= max;
}

// "HH:MM:SS.mmm ", as "%02d:%02d:%02d.%03d " gives it.
void appendClock(std::string& out, const std::tm& local, int milliseconds)
{
    const int h = local.tm_hour;
    const int m = local.tm_min;
    const int s = local.tm_sec;
    const int ms = milliseconds;
    // Only a clock before 1970 gives negative milliseconds.
    if (!inRange(h, 99) || !inRange(m, 99) || !inRange(s, 99) || !inRange(ms, 999)) {
        out += kq::format("%02d:%02d:%02d.%03d ", h, m, s, ms);
        return;
    }
    const char text[] = {char('0' + h / 10),
                         char('0' + h % 10),
                         ':',
                         char('0' + m / 10),
                         char('0' + m % 10),
                         ':',
                         char('0' + s / 10),
                         char('0' + s % 10),
                         '.',
                         char('0' + ms / 100),
                         char('0' + ms / 10 % 10),
                         char('0' + ms % 10),
                         ' '};
    out.append(text, sizeof text);
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

    // The name is a C string, as "%-16s" takes it; the message is appended as it stands,
    // so that zero bytes in it survive.
    const char* name = loggerName.c_str();
    const size_t nameLength = std::strlen(name);
    std::string result;
    result.reserve(16 + std::max(nameLength, NameWidth) + message.size() + 1 +
                   ContinuationIndent.size());
    appendClock(result, local, milliseconds);
    result += '[';
    result.append(name, nameLength);
    if (nameLength < NameWidth)
        result.append(NameWidth - nameLength, ' ');
    result += "] ";
    // Every line ends with a line feed; each line after the first starts with the indent.
    size_t start = 0;
    for (size_t end; (end = message.find('\n', start)) != std::string::npos; start = end + 1) {
        result.append(message, start, end + 1 - start);
        result += ContinuationIndent;
    }
    result.append(message, start, std::string::npos);
    result += '\n';
    return result;
}

}  // namespace logger
}  // namespace kq
